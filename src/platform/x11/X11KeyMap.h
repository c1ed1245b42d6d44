#pragma once

#include <QHash>
#include <QtGlobal>
#include <optional>

typedef struct _XDisplay Display;

// The physical key behind each platform-neutral key code, found by its XKB key name ("AC01" is
// the key right of Caps Lock whatever the layout), so a key code means the same key in every
// layout.
class X11KeyMap {
public:
    explicit X11KeyMap(Display* display);

    // The X key code of a neutral key code; none when the keyboard has no such key.
    std::optional<unsigned> xKeyCode(quint16 keyCode);
    // The neutral key code of an X key code; none when it is not one of ours.
    std::optional<quint16> neutralKeyCode(unsigned xKeyCode);

    // Re-reads the key names (after the keyboard mapping changed).
    void reload();

private:
    Display* display_;
    bool loaded_ = false;
    QHash<quint16, unsigned> toX_;
    QHash<unsigned, quint16> fromX_;
};
