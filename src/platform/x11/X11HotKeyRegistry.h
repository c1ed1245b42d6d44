#pragma once

#include <QList>
#include <QObject>
#include <QSet>

#include <memory>

#include "platform/HotKeyRegistry.h"

class X11Connection;
class X11KeyMap;

// Global hot keys as passive key grabs on the root window, one per lock-key variant (Caps
// Lock, Num Lock) so that they fire whatever the lock keys are. The keyboard grab a press
// starts lasts while the hot key's modifiers are held, so the focused window never sees a
// modifier released with nothing after its press (keys the app sends end it sooner: see
// X11KeyEvents); holding a hot key down runs it once (auto-repeat is made detectable and
// repeated presses are dropped until the key is released).
class X11HotKeyRegistry : public HotKeyRegistry {
public:
    X11HotKeyRegistry(std::shared_ptr<X11Connection> connection);
    ~X11HotKeyRegistry() override;

    int installHandler(PressHandler handler) override;
    void removeHandler() override;
    int registerHotKey(HotKeyId id, quint16 keyCode, quint32 modifiers) override;
    void unregisterHotKey(HotKeyId id) override;

    // Statuses of registerHotKey.
    static constexpr int kNoDisplay = -1;
    static constexpr int kInvalidKey = -50;
    // The keys are taken: by another client, or by another of our hot keys.
    static constexpr int kKeysTaken = -9878;

private:
    struct Registration {
        HotKeyId id;
        unsigned xKeyCode = 0;
        unsigned xModifiers = 0;
    };
    void grab(const Registration& registration, bool on, bool* refused);
    void onEvent(void* event);
    // Keeps the keyboard grab a press started (true), or ends it; either lets the keyboard go on.
    void holdKeyboard(bool hold);
    bool modifiersHeld() const;
    unsigned lockMask(const char* keysymName) const;

    std::shared_ptr<X11Connection> connection_;
    X11KeyMap& keyMap_;
    PressHandler handler_;
    QList<Registration> registrations_;
    // Hot-key keys pressed and not released yet (from raw key events).
    QSet<unsigned> down_;
    int listener_ = 0;
    // Queued deliveries die with the registry.
    QObject context_;
};
