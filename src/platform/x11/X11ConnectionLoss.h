#pragma once

#include <atomic>
#include <functional>

typedef struct _XDisplay Display;

// What a broken X connection ends. Xlib's I/O error handler is process-wide, and the one Qt
// installs exits from whichever thread meets the break first: with connections of our own on
// threads of their own, two threads would run the exit handlers at once when the server goes.
// So a connection of our own that breaks only ends its own user, and when Qt's connection
// breaks (Qt then exits the process from the GUI thread) the app first ends the way a SIGTERM
// ends it, with every thread that reads a connection of ours stopped.
namespace X11ConnectionLoss {

// Once a QGuiApplication on the xcb platform exists, and kept for the rest of the process:
// when Qt's own connection broke, before Qt exits the process, the registered threads stop and
// then `end` runs, on the GUI thread, at most once. Called again it replaces `end` (an empty
// one: the threads only stop).
void install(std::function<void()> end = {});

// A private Xlib connection: a break sets `broken` and returns into the Xlib call that met it
// (which then fails) instead of exiting. Xlib then keeps the display locked for the thread
// that met the break: a broken display is never closed from another thread.
void adopt(Display* display, std::atomic<bool>* broken);
void release(Display* display);

// Stops a thread that reads a connection of ours, when Qt's connection broke; registered for
// the life of its owner. Runs on the GUI thread.
class ThreadStop {
public:
    explicit ThreadStop(std::function<void()> stop);
    ~ThreadStop();
    ThreadStop(const ThreadStop&) = delete;
    ThreadStop& operator=(const ThreadStop&) = delete;

private:
    friend void stopThreads();
    std::function<void()> stop_;
};

// Stops every registered thread now; for `end` and tests.
void stopThreads();

}  // namespace X11ConnectionLoss
