#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// The physical keys as the window system numbers them (X key codes on X11), seen through the
// platform-neutral key codes the hot-key texts use.
class KeyMap {
public:
    virtual ~KeyMap() = default;

    // The neutral key code of a native key; none when it is not one of ours.
    virtual std::optional<quint16> neutralKeyCode(quint32 nativeKey) = 0;
    // The character the key types in the current layout with no modifier held; a keypad digit
    // gives its digit whatever Num Lock says. Empty when the key types nothing.
    virtual QString plainCharacter(quint32 nativeKey) = 0;
};
