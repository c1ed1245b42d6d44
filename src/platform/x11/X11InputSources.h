#pragma once

#include <QStringList>

#include <memory>

#include "platform/InputSources.h"

class X11Connection;
class X11KeyMap;

// The keyboard layouts of the X server's XKB groups (as set with setxkbmap -layout us,ru).
// Ids are "xkb.layout." plus the layout (and ":variant" when it has one); names are the
// groups' own names ("English (US)", "Russian"). Selecting one locks its group.
class X11InputSources : public InputSources {
public:
    X11InputSources(std::shared_ptr<X11Connection> connection);

    QList<InputSource> enabledSources() const override;
    std::optional<InputSource> currentSource() const override;
    int select(const QString& id) override;
    bool hasKeyMap(const QString& id) const override;
    QString translateKey(const QString& id, quint16 keyCode, bool shift) const override;

    // The status select() answers for an id that is not enabled, or when the server refuses.
    static constexpr int kUnknownSource = -50;
    static constexpr int kServerRefused = -1;

private:
    // The layouts of the groups, in group order, read from the server each time.
    QStringList layoutIds() const;
    int groupOf(const QString& id) const;

    std::shared_ptr<X11Connection> connection_;
    X11KeyMap& keyMap_;
};
