#pragma once

#include <QObject>
#include <QSet>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

typedef struct _XDisplay Display;
typedef union _XEvent XEvent;
namespace X11ConnectionLoss {
class ThreadStop;
}

// Reads the hot keys on a thread and X connection of their own that do nothing else, so the
// user's keyboard never waits on the GUI thread. A hot key is a passive grab that freezes the
// keyboard at its press; the thread ends that grab at once, which lets every key after the
// press go where it would have gone without us, in order. While Alt is held it first sends the
// focused window a key that means nothing (one bound to no symbol): the window saw Alt go down,
// and seeing it come up with no key between would send a Qt or KDE editor to its menu bar.
// Holding a hot key down is one press: auto-repeated presses are not delivered.
class X11HotKeyReader {
public:
    // A press of a grabbed key, with the hot-key modifiers held (lock keys left out). Runs on
    // the thread of `context`.
    using Delivery = std::function<void(unsigned keycode, unsigned modifiers)>;

    // Connects to the display named by $DISPLAY; without it nothing can be grabbed.
    X11HotKeyReader(QObject* context, Delivery delivery);
    // Ends the thread; closing its connection gives back every grab.
    ~X11HotKeyReader();
    // Ends the thread now; grabs are no longer made or read. A broken connection ends it on
    // its own.
    void stop();
    X11HotKeyReader(const X11HotKeyReader&) = delete;
    X11HotKeyReader& operator=(const X11HotKeyReader&) = delete;

    bool isOpen() const { return display_ != nullptr; }

    // Grabs the key with exactly these modifiers, whatever Caps Lock and Num Lock are; false
    // when the server refuses (another client holds the keys): then nothing stays grabbed.
    bool grab(unsigned keycode, unsigned modifiers);
    void ungrab(unsigned keycode, unsigned modifiers);

private:
    // Runs `task` on the thread and waits for it: the thread waits on nothing but the server.
    void onThread(const std::function<void()>& task);
    void run();
    void serve();
    void handle(XEvent& event);
    void grabOnThread(unsigned keycode, unsigned modifiers, bool on, bool* refused);
    void sendHarmlessKey(const XEvent& press);
    void findHarmlessKey();
    unsigned numLockMask();

    Display* display_ = nullptr;
    QObject* context_;
    Delivery delivery_;
    int wakeFd_ = -1;
    int xinputOpcode_ = -1;
    // Thread only: hot keys pressed and not released yet (from raw key releases).
    QSet<unsigned> down_;
    unsigned harmlessKey_ = 0;
    unsigned numLock_ = 0;
    std::mutex mutex_;
    std::vector<std::function<void()>> tasks_;
    bool stopping_ = false;
    bool ended_ = false;
    std::atomic<bool> broken_ = false;
    std::thread thread_;
    std::unique_ptr<X11ConnectionLoss::ThreadStop> threadStop_;
};
