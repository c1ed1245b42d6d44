#include "platform/x11/X11Connection.h"

#include <QAbstractEventDispatcher>
#include <QMetaObject>
#include <QSocketNotifier>
#include "platform/x11/Xlib.h"

#include "platform/x11/X11ConnectionLoss.h"
#include "platform/x11/X11KeyMap.h"

namespace {
// Xlib's error handler is process-wide; failsWithError swaps it in only around one request.
int g_trappedError = 0;
int trapError(Display*, XErrorEvent* event) {
    g_trappedError = event->error_code;
    return 0;
}
}  // namespace

X11Connection::X11Connection() {
    display_ = XOpenDisplay(nullptr);
    if (display_) {
        X11ConnectionLoss::adopt(display_, &broken_);
    }
    keyMap_ = std::make_unique<X11KeyMap>(display_);
    if (!display_) {
        return;
    }
    int event = 0;
    int error = 0;
    int opcode = 0;
    if (XQueryExtension(display_, "XInputExtension", &opcode, &event, &error)) {
        int major = 2;
        int minor = 2;
        if (XIQueryVersion(display_, &major, &minor) == Success) {
            xinputOpcode_ = opcode;
        }
    }
    notifier_ =
        std::make_unique<QSocketNotifier>(ConnectionNumber(display_), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &X11Connection::dispatchPending);
    // The socket only tells about bytes not yet read: events that Xlib took in while waiting
    // for a reply sit in its queue. Empty it whenever the loop is about to wait.
    if (auto* dispatcher = QAbstractEventDispatcher::instance(thread())) {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &X11Connection::dispatchPending);
    }
}

X11Connection::~X11Connection() {
    notifier_.reset();
    if (display_) {
        X11ConnectionLoss::release(display_);
        if (!broken_) {
            XCloseDisplay(display_);
        }
    }
}

unsigned long X11Connection::rootWindow() const {
    return display_ ? DefaultRootWindow(display_) : 0;
}

int X11Connection::addListener(Listener listener) {
    const int id = nextListenerId_++;
    listeners_[id] = std::move(listener);
    return id;
}

void X11Connection::removeListener(int id) {
    listeners_.erase(id);
}

void X11Connection::wantRawEvent(int xiEventType, bool wanted) {
    if (!display_ || xinputOpcode_ < 0) {
        return;
    }
    rawEventUsers_[xiEventType] += wanted ? 1 : -1;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    for (const auto& [type, users] : rawEventUsers_) {
        if (users > 0) {
            XISetMask(bits, type);
        }
    }
    XIEventMask mask{XIAllMasterDevices, int(sizeof bits), bits};
    XISelectEvents(display_, DefaultRootWindow(display_), &mask, 1);
    XFlush(display_);
}

void X11Connection::dispatchPending() {
    if (!display_ || dispatching_) {
        return;
    }
    dispatching_ = true;
    while (!broken_ && XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        const bool cookie = event.type == GenericEvent &&
                            event.xcookie.extension == xinputOpcode_ &&
                            XGetEventData(display_, &event.xcookie);
        // A listener may remove listeners: iterate over a copy of the ids.
        std::vector<int> ids;
        for (const auto& [id, listener] : listeners_) {
            ids.push_back(id);
        }
        for (int id : ids) {
            auto it = listeners_.find(id);
            if (it != listeners_.end()) {
                Listener listener = it->second;
                listener(event);
            }
        }
        if (cookie) {
            XFreeEventData(display_, &event.xcookie);
        }
    }
    dispatching_ = false;
    // A socket at its end would wake the loop without pause.
    if (broken_ && notifier_) {
        notifier_->setEnabled(false);
    }
}

bool X11Connection::failsWithError(const std::function<void()>& request) {
    if (!display_) {
        return true;
    }
    XSync(display_, False);
    g_trappedError = 0;
    auto previous = XSetErrorHandler(trapError);
    request();
    XSync(display_, False);
    XSetErrorHandler(previous);
    const bool failed = g_trappedError != 0;
    g_trappedError = 0;
    noteRoundTrip();
    return failed;
}

void X11Connection::noteRoundTrip() {
    if (!display_ || dispatchQueued_) {
        return;
    }
    dispatchQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            dispatchQueued_ = false;
            dispatchPending();
        },
        Qt::QueuedConnection);
}
