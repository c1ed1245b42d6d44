#pragma once

#include <QHash>
#include <QSet>

#include <memory>

#include "platform/KeyEvents.h"

class X11Connection;
class X11KeyMap;

// Key events through XTest on physical keys. A shortcut carries exactly its own modifiers:
// modifier keys the user still holds are released before the key goes down. Terminal windows
// (recognised by WM_CLASS) get Control+Shift+C/V for Copy/Paste and no Select All.
class X11KeyEvents : public KeyEvents {
public:
    X11KeyEvents(std::shared_ptr<X11Connection> connection);

    bool canPostEvents() const override;
    bool postKey(quint16 keyCode, KeyModifiers modifiers, bool down) override;
    KeyModifiers heldModifiers() const override;

    // Whether a window class (either part of WM_CLASS) names a terminal emulator.
    static bool isTerminalClass(const QString& windowClass);

private:
    // The WM_CLASS (instance and class) of the window with the keyboard focus.
    QStringList focusedWindowClass() const;
    // Presses or releases the modifier keys so that exactly `wanted` is held.
    void holdExactly(KeyModifiers wanted);

    std::shared_ptr<X11Connection> connection_;
    X11KeyMap& keyMap_;
    bool hasXTest_ = false;
    // What a key-down was turned into, so that its key-up matches it.
    struct Sent {
        bool suppressed = false;
        KeyModifiers modifiers;
    };
    QHash<quint16, Sent> down_;
};
