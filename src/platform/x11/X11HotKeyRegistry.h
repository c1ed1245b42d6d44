#pragma once

#include <QList>
#include <QObject>

#include <memory>

#include "platform/HotKeyRegistry.h"

class X11Connection;
class X11HotKeyReader;
class X11KeyMap;

// Global hot keys as passive key grabs on the root window, read by `X11HotKeyReader` on a
// thread and connection of its own: the user's keyboard never waits on the GUI thread, and no
// key after a hot key is taken from the focused window. Presses reach the handler through the
// GUI thread's event loop; holding a hot key down runs it once.
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
    void onPress(unsigned keycode, unsigned modifiers);

    std::shared_ptr<X11Connection> connection_;
    X11KeyMap& keyMap_;
    PressHandler handler_;
    QList<Registration> registrations_;
    // Presses delivered later die with the registry: the reader, declared after it, ends first.
    QObject context_;
    std::unique_ptr<X11HotKeyReader> reader_;
};
