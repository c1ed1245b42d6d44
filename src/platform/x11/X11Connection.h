#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <map>
#include <memory>

class QSocketNotifier;
class X11KeyMap;
typedef struct _XDisplay Display;
typedef union _XEvent XEvent;

// A private Xlib connection to the display Qt uses, for what must not go through Qt's own:
// key grabs (a grab belongs to the client that made it), raw input events, EWMH property
// changes on the root window. Its events are read on the Qt event loop.
class X11Connection : public QObject {
    Q_OBJECT
public:
    using Listener = std::function<void(XEvent&)>;

    // Opens the display named by $DISPLAY; check isOpen().
    X11Connection();
    ~X11Connection() override;

    bool isOpen() const { return display_ != nullptr; }
    // The physical keys of this display.
    X11KeyMap& keyMap() { return *keyMap_; }
    Display* display() const { return display_; }
    unsigned long rootWindow() const;

    // The XInput2 major opcode, or -1 when XInput 2.2 is missing.
    int xinputOpcode() const { return xinputOpcode_; }

    // Every event of this connection reaches every listener. Returns an id for removeListener.
    int addListener(Listener listener);
    void removeListener(int id);

    // Raw XInput2 events (XI_RawKeyRelease ...) on the root window, counted per user: selected
    // while at least one user wants them.
    void wantRawEvent(int xiEventType, bool wanted);

    // Reads and dispatches whatever events are queued (also those Xlib read during a reply).
    void dispatchPending();

    // Called after a request that waited for a reply: Xlib may have queued events meanwhile
    // that the socket will not announce again. They are dispatched on the next loop turn.
    void noteRoundTrip();

    // Runs `request` and reports whether the server answered it with an error (BadAccess for a
    // key another client grabbed, BadWindow for a window that went away).
    bool failsWithError(const std::function<void()>& request);

private:
    Display* display_ = nullptr;
    // Set when the server went or dropped us: nothing is read or closed after it.
    std::atomic<bool> broken_ = false;
    int xinputOpcode_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<X11KeyMap> keyMap_;
    std::map<int, Listener> listeners_;
    int nextListenerId_ = 1;
    bool dispatching_ = false;
    bool dispatchQueued_ = false;
    std::map<int, int> rawEventUsers_;
};
