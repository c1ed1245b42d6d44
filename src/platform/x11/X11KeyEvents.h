#pragma once

#include <QHash>
#include <QSet>

#include <memory>

#include "platform/KeyEvents.h"

class Pasteboard;
class X11Connection;
class X11KeyMap;
class X11HeldKeys;
class X11PrimarySelection;
struct TerminalKeys;

// Key events through XTest on physical keys. A shortcut's key-down carries exactly its own
// modifiers: they go down just before it and up just after it, and modifier keys the user
// still holds are released for it and held again after it (X11HeldKeys). Terminal windows
// (recognised by WM_CLASS) never get Control+A/C/V: Copy and Paste become the terminal's own
// keys, or go through PRIMARY (read it into the clipboard; paste it with Shift+Insert).
class X11KeyEvents : public KeyEvents {
public:
    // `clipboard` carries the text between PRIMARY and the caller for terminals without
    // clipboard keys; without it those terminals get no Copy or Paste.
    explicit X11KeyEvents(std::shared_ptr<X11Connection> connection,
                          Pasteboard* clipboard = nullptr);
    ~X11KeyEvents() override;

    bool canPostEvents() const override;
    bool keyPending(quint16 keyCode, KeyModifiers modifiers) override;
    bool postKey(quint16 keyCode, KeyModifiers modifiers, bool down) override;
    KeyModifiers heldModifiers() const override;

private:
    // What a key-down was turned into, so that its key-up matches it.
    struct Sent {
        bool suppressed = false;
        quint16 keyCode = 0;
        KeyModifiers modifiers;
    };

    // The window with the keyboard focus, and its WM_CLASS (instance and class).
    unsigned long focusedWindow() const;
    QStringList windowClass(unsigned long window) const;
    // What an edit shortcut becomes in a terminal; false when it cannot be done there.
    bool translateForTerminal(quint16 keyCode, const TerminalKeys& terminal, unsigned long window,
                              Sent& sent);
    // Presses `key` with exactly `wanted` held, and the user's modifiers held again after it.
    void pressWith(unsigned char key, KeyModifiers wanted);

    std::shared_ptr<X11Connection> connection_;
    X11KeyMap& keyMap_;
    Pasteboard* clipboard_;
    std::unique_ptr<X11PrimarySelection> primary_;
    std::unique_ptr<X11HeldKeys> heldKeys_;
    unsigned harmlessKey_ = 0;
    bool hasXTest_ = false;
    QHash<quint16, Sent> down_;
};
