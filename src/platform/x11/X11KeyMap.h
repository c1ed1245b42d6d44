#pragma once

#include <QHash>
#include <QtGlobal>
#include <optional>

#include "platform/KeyMap.h"

typedef struct _XDisplay Display;

// The physical key behind each platform-neutral key code, found by its XKB key name ("AC01" is
// the key right of Caps Lock whatever the layout), so a key code means the same key in every
// layout.
class X11KeyMap : public KeyMap {
public:
    explicit X11KeyMap(Display* display);

    // The X key code of a neutral key code; none when the keyboard has no such key.
    std::optional<unsigned> xKeyCode(quint16 keyCode);
    // The neutral key code of an X key code; none when it is not one of ours.
    std::optional<quint16> neutralKeyCode(quint32 xKeyCode) override;
    // In the group in use now, at the first level; a keypad key at its Num Lock level.
    QString plainCharacter(quint32 xKeyCode) override;

    // Re-reads the key names (after the keyboard mapping changed).
    void reload();

private:
    Display* display_;
    bool loaded_ = false;
    QHash<quint16, unsigned> toX_;
    QHash<unsigned, quint16> fromX_;
};
