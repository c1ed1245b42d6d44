#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include "platform/InputSources.h"

// Enabled keyboard layouts of a simulated desktop, each with an optional key map.
class SimulatedInputSources : public InputSources {
public:
    struct Layout {
        InputSource source;
        bool hasKeyMap = true;
        QHash<quint16, QString> plain;
        QHash<quint16, QString> shifted;
    };

    // A US layout and a Russian PC layout with their letter, punctuation and digit keys.
    static Layout usLayout(const QString& name = QStringLiteral("U.S."),
                           const QString& id = QStringLiteral("xkb.layout.us"));
    static Layout russianLayout(const QString& name = QStringLiteral("Russian"),
                                const QString& id = QStringLiteral("xkb.layout.ru"));
    // A layout with no key data.
    static Layout bareLayout(const QString& name, const QString& id);

    void addLayout(Layout layout);
    void setCurrentId(const QString& id) { currentId_ = id; }
    QString currentId() const { return currentId_; }

    QList<InputSource> enabledSources() const override;
    std::optional<InputSource> currentSource() const override;
    int select(const QString& id) override;
    bool hasKeyMap(const QString& id) const override;
    QString translateKey(const QString& id, quint16 keyCode, bool shift) const override;

    // The next this many select() calls fail (with -50).
    int failingSelects = 0;
    int selectCalls = 0;
    mutable int translateCalls = 0;
    // When set, currentSource() reports none.
    bool currentUnknown = false;

private:
    const Layout* find(const QString& id) const;
    QList<Layout> layouts_;
    QString currentId_;
};
