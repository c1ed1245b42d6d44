#include "platform/x11/X11HotKeyReader.h"

#include <QList>
#include <QMetaObject>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <future>

#include "platform/x11/X11ConnectionLoss.h"
#include "platform/x11/X11HarmlessKey.h"

#include "platform/x11/Xlib.h"

#include <X11/Xlibint.h>

namespace {
// The modifiers a hot key can carry.
constexpr unsigned kHotKeyModifiers = ShiftMask | ControlMask | Mod1Mask | Mod4Mask;

// Errors of the reader's connection are its own: Xlib's error handler is process-wide, and
// the GUI thread may be trapping errors of its connection meanwhile.
thread_local int* t_errorSlot = nullptr;
Bool keepError(Display*, XErrorEvent* error, xError*) {
    if (t_errorSlot) {
        *t_errorSlot = error->error_code;
    }
    return False;
}
}  // namespace

X11HotKeyReader::X11HotKeyReader(QObject* context, Delivery delivery)
    : context_(context), delivery_(std::move(delivery)) {
    display_ = XOpenDisplay(nullptr);
    if (!display_) {
        return;
    }
    X11ConnectionLoss::adopt(display_, &broken_);
    for (int code = 1; code < 256; ++code) {
        XESetWireToError(display_, code, keepError);
    }
    int event = 0;
    int error = 0;
    int opcode = 0;
    int major = 2;
    int minor = 2;
    if (XQueryExtension(display_, "XInputExtension", &opcode, &event, &error) &&
        XIQueryVersion(display_, &major, &minor) == Success) {
        xinputOpcode_ = opcode;
        // A hot key's release goes to the focused window; its raw release still tells us.
        unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
        XISetMask(bits, XI_RawKeyRelease);
        XIEventMask mask{XIAllMasterDevices, int(sizeof bits), bits};
        XISelectEvents(display_, DefaultRootWindow(display_), &mask, 1);
    }
    findHarmlessKey();
    numLock_ = numLockMask();
    XSync(display_, False);
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    thread_ = std::thread([this] { run(); });
    threadStop_ = std::make_unique<X11ConnectionLoss::ThreadStop>([this] { stop(); });
}

X11HotKeyReader::~X11HotKeyReader() {
    threadStop_.reset();
    stop();
    if (wakeFd_ >= 0) {
        close(wakeFd_);
    }
    if (display_) {
        X11ConnectionLoss::release(display_);
        // Xlib keeps a broken display locked for the thread that met the break.
        if (!broken_) {
            XCloseDisplay(display_);
        }
    }
}

void X11HotKeyReader::stop() {
    if (thread_.joinable()) {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        const quint64 one = 1;
        [[maybe_unused]] const auto written = write(wakeFd_, &one, sizeof one);
        thread_.join();
    }
}

void X11HotKeyReader::onThread(const std::function<void()>& task) {
    if (!thread_.joinable()) {
        return;
    }
    std::promise<void> done;
    {
        std::lock_guard lock(mutex_);
        if (ended_) {
            return;
        }
        tasks_.push_back([&] {
            task();
            done.set_value();
        });
    }
    const quint64 one = 1;
    [[maybe_unused]] const auto written = write(wakeFd_, &one, sizeof one);
    done.get_future().wait();
}

bool X11HotKeyReader::grab(unsigned keycode, unsigned modifiers) {
    bool refused = !display_;
    onThread([&] {
        grabOnThread(keycode, modifiers, true, &refused);
        if (refused) {
            // Some variants may have been taken before the refusal: give them back.
            grabOnThread(keycode, modifiers, false, nullptr);
        }
    });
    return !refused;
}

void X11HotKeyReader::ungrab(unsigned keycode, unsigned modifiers) {
    onThread([&] { grabOnThread(keycode, modifiers, false, nullptr); });
}

unsigned X11HotKeyReader::numLockMask() {
    const XKeyCode code = XKeysymToKeycode(display_, XK_Num_Lock);
    unsigned mask = 0;
    XModifierKeymap* map = code != 0 ? XGetModifierMapping(display_) : nullptr;
    for (int modifier = 0; map && modifier < 8; ++modifier) {
        for (int i = 0; i < map->max_keypermod; ++i) {
            if (map->modifiermap[modifier * map->max_keypermod + i] == code) {
                mask |= 1u << modifier;
            }
        }
    }
    if (map) {
        XFreeModifiermap(map);
    }
    return mask;
}

void X11HotKeyReader::grabOnThread(unsigned keycode, unsigned modifiers, bool on, bool* refused) {
    const unsigned numLock = numLock_ = numLockMask();
    const QList<unsigned> variants{0u, unsigned(LockMask), numLock, LockMask | numLock};
    const Window root = DefaultRootWindow(display_);
    int error = 0;
    t_errorSlot = &error;
    for (unsigned variant : variants) {
        if (on) {
            // The keyboard waits at the press until this thread has ended the grab.
            XGrabKey(display_, int(keycode), modifiers | variant, root, False, GrabModeAsync,
                     GrabModeSync);
        } else {
            XUngrabKey(display_, int(keycode), modifiers | variant, root);
        }
    }
    XSync(display_, False);
    t_errorSlot = nullptr;
    if (refused) {
        *refused = error != 0;
    }
}

void X11HotKeyReader::findHarmlessKey() {
    harmlessKey_ = x11HarmlessKey::find(display_);
}

void X11HotKeyReader::sendHarmlessKey(const XEvent& press) {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    if (harmlessKey_ == 0 || focus <= PointerRoot) {
        return;
    }
    x11HarmlessKey::send(display_, focus, harmlessKey_, press.xkey.state, press.xkey.time);
}

void X11HotKeyReader::handle(XEvent& event) {
    if (event.type == GenericEvent && event.xcookie.extension == xinputOpcode_) {
        if (XGetEventData(display_, &event.xcookie)) {
            if (event.xcookie.evtype == XI_RawKeyRelease) {
                down_.remove(unsigned(static_cast<const XIRawEvent*>(event.xcookie.data)->detail));
            }
            XFreeEventData(display_, &event.xcookie);
        }
        return;
    }
    if (event.type == MappingNotify) {
        XRefreshKeyboardMapping(&event.xmapping);
        findHarmlessKey();
        numLock_ = numLockMask();
        return;
    }
    if (event.type != KeyPress) {
        return;
    }
    // The press froze the keyboard. Ending the grab lets it go on at once, and what the user
    // typed meanwhile goes to the focused window, in order: a key after a hot key, held
    // modifiers or not, is never ours. The harmless key goes first, ahead of anything the
    // freeze held back (a quick Alt release among it).
    const unsigned code = event.xkey.keycode;
    const bool repeat = down_.contains(code);
    if (!repeat && (event.xkey.state & Mod1Mask)) {
        sendHarmlessKey(event);
    }
    XUngrabKeyboard(display_, CurrentTime);
    XFlush(display_);
    if (repeat) {
        return;  // auto-repeat of a key still held
    }
    if (xinputOpcode_ >= 0) {
        down_.insert(code);
    }
    const unsigned modifiers = event.xkey.state & kHotKeyModifiers & ~numLock_;
    QMetaObject::invokeMethod(
        context_, [delivery = delivery_, code, modifiers] { delivery(code, modifiers); },
        Qt::QueuedConnection);
}

void X11HotKeyReader::run() {
    serve();
    // Whoever still waits for a task is let go.
    std::vector<std::function<void()>> tasks;
    {
        std::lock_guard lock(mutex_);
        ended_ = true;
        tasks.swap(tasks_);
    }
    for (const auto& task : tasks) {
        task();
    }
}

void X11HotKeyReader::serve() {
    pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    while (true) {
        // XPending also takes in what a round trip left in Xlib's queue.
        while (!broken_ && XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            handle(event);
        }
        // The server is gone or dropped us: this connection ends, and with it this thread.
        if (broken_ || (poll(fds, 2, -1) < 0 && errno != EINTR)) {
            return;
        }
        if (fds[1].revents & POLLIN) {
            quint64 count = 0;
            [[maybe_unused]] const auto read = ::read(wakeFd_, &count, sizeof count);
            std::vector<std::function<void()>> tasks;
            bool stopping = false;
            {
                std::lock_guard lock(mutex_);
                tasks.swap(tasks_);
                stopping = stopping_;
            }
            for (const auto& task : tasks) {
                task();
            }
            if (stopping) {
                return;
            }
        }
    }
}
