#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <atomic>

typedef struct _XDisplay Display;

// The modifier keys the user holds while the app sends a shortcut: let go for the shortcut's
// key-down and pressed again right after it, unless the user let go of them meanwhile. The
// X server's modifier state is one for every keyboard, and a key we release through XTest may
// be held on another keyboard, whose own release the server then drops. So the server's raw
// key events, read on a connection of our own, count every press and release of those keys,
// ours and the user's, from whatever keyboard: what is left once ours are taken away is the
// user's.
class X11HeldKeys {
public:
    // The key events go out on `sender`.
    explicit X11HeldKeys(Display* sender);
    ~X11HeldKeys();
    X11HeldKeys(const X11HeldKeys&) = delete;
    X11HeldKeys& operator=(const X11HeldKeys&) = delete;

    // Lets go of `keys`, which the user holds as `keymap` (XQueryKeymap) shows (queued).
    void letGo(const QList<unsigned>& keys, const char keymap[32]);
    // Presses again the keys let go (queued).
    void pressAgain();
    // Once the sender's requests are out: a key the user let go of meanwhile is released, one
    // still held is down. Ends the count; returns the keys held again for the user.
    QList<unsigned> settle();

private:
    struct Count {
        int pressesSeen = 0;
        int releasesSeen = 0;
        int pressesSent = 0;
        int releasesSent = 0;
    };
    void send(unsigned key, bool down);
    void readRawEvents();
    void select(bool on);

    Display* sender_;
    Display* watch_ = nullptr;
    std::atomic<bool> broken_ = false;
    int xinputOpcode_ = -1;
    QList<unsigned> keys_;
    QHash<unsigned, Count> counts_;
    // Held again for the user: released on this connection's keyboard once the user let go.
    QSet<unsigned> heldForUser_;
};
