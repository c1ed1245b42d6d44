#pragma once

#include <QString>
#include <QStringList>

#include "core/NiveloSettings.h"

class Defaults;

// Reads the settings record whole from the user defaults and writes it whole.
class NativeSettingsStore {
public:
    explicit NativeSettingsStore(Defaults& defaults);

    // The store over the process's user defaults, created on first use.
    static NativeSettingsStore& shared();

    // A complete record; missing, empty or unreadable values take their defaults.
    NiveloSettings load() const;
    // Writes every key; lists always as JSON data. The defaults write them out on their own.
    void save(const NiveloSettings& settings);

private:
    QString string(const QString& key, const QString& fallback) const;
    bool boolean(const QString& key, bool fallback) const;
    qint64 integer(const QString& key, qint64 fallback, qint64 lowest, qint64 highest) const;
    // The stored JSON bytes: data, or the older form of the same JSON stored as text.
    std::optional<QByteArray> jsonBytes(const QString& key) const;
    QStringList stringArray(const QString& key, const QStringList& fallback) const;
    QList<PromptStyle> promptStyles() const;
    QList<AIReplyStyle> aiReplyStyles() const;
    QList<AppLayoutRule> appLayoutRules() const;
    static QStringList normalizedQuickMenuList(const QStringList& ids);
    static QStringList restoredQuickMenuList(const QStringList& ids);

    Defaults& defaults_;
};
