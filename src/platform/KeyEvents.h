#pragma once

#include <QtGlobal>

#include "platform/KeyModifiers.h"

// Simulated key presses sent to the focused window of another application, and the state of
// the user's modifier keys.
//
// The edit shortcuts the app sends are Control+A (Select All), Control+C (Copy) and Control+V
// (Paste). A terminal never gets them: the implementation sends it its own copy and paste keys
// (or goes through the selection it keeps), and nothing for Control+A.
class KeyEvents {
public:
    virtual ~KeyEvents() = default;

    // Whether this process may send key events to other applications at all.
    virtual bool canPostEvents() const = 0;

    // Whether the key-down of `keyCode` with `modifiers` must wait for something read aside
    // first (a terminal's selection, saved before a paste lends it); the first call starts that
    // read. A caller looks again later rather than wait; the read ends within its own limits.
    virtual bool keyPending(quint16 /*keyCode*/, KeyModifiers /*modifiers*/) { return false; }

    // Sends one key-down or key-up of `keyCode`. The key-down carries exactly `modifiers`
    // (whatever the user holds); the user's own keys, before and after it, keep the user's
    // modifiers. False when the event could not be made; nothing was sent then.
    virtual bool postKey(quint16 keyCode, KeyModifiers modifiers, bool down) = 0;

    // The modifier keys the user holds now (Caps Lock and the like do not count).
    virtual KeyModifiers heldModifiers() const = 0;
};
