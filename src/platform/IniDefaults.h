#pragma once

#include <QSettings>

#include "platform/Defaults.h"

// Defaults in an INI file (QSettings). Data is written as QByteArray so it reads back as
// data; everything else reads back as text.
class IniDefaults : public Defaults {
public:
    explicit IniDefaults(const QString& filePath);

    // $XDG_CONFIG_HOME/ai.nivelo.native/defaults.ini
    static QString standardPath();

    QVariant object(const QString& key) const override;
    void set(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    void sync() override;

    QString filePath() const { return settings_.fileName(); }

private:
    mutable QSettings settings_;
};
