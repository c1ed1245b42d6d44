#include "platform/x11/X11SelectionFetches.h"

#include <xcb/xcb.h>
#include <QCoreApplication>

#include "platform/x11/X11ClientProcess.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11SelectionOwner.h"

#include "platform/x11/Xlib.h"

namespace {
// After a piece was taken Qt writes the next one at once; a quiet moment means it was the last.
constexpr qint64 kLastPieceSettleMs = 150;
}  // namespace

X11SelectionFetches::X11SelectionFetches(std::shared_ptr<X11Connection> connection)
    : connection_(std::move(connection)) {
    clock_.start();
    if (!connection_ || !connection_->isOpen()) {
        return;
    }
    clipboardAtom_ = XInternAtom(connection_->display(), "CLIPBOARD", False);
    listener_ = connection_->addListener([this](XEvent& event) { onXEvent(&event); });
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->installNativeEventFilter(this);
    }
}

X11SelectionFetches::~X11SelectionFetches() {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->removeNativeEventFilter(this);
    }
    if (connection_ && listener_) {
        connection_->removeListener(listener_);
    }
    restart();
}

void X11SelectionFetches::restart() {
    while (!fetches_.isEmpty()) {
        drop(0);
    }
    served_ = false;
}

int X11SelectionFetches::underway() {
    const qint64 now = clock_.elapsed();
    for (int i = int(fetches_.size()) - 1; i >= 0; --i) {
        if (fetches_[i].taken && now - fetches_[i].takenAtMs >= kLastPieceSettleMs) {
            drop(i);
        }
    }
    return int(fetches_.size());
}

bool X11SelectionFetches::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) == XCB_SELECTION_REQUEST) {
        const auto* request = reinterpret_cast<const xcb_selection_request_event_t*>(event);
        onRequest(request->requestor, request->selection, request->target, request->property);
    }
    // Qt answers the request itself.
    return false;
}

void X11SelectionFetches::onRequest(unsigned long requestor, unsigned long selection,
                                    unsigned long target, unsigned long property) {
    if (selection != clipboardAtom_ || property == 0 || !isTextTarget(target) ||
        !fromFocusedClient(requestor)) {
        return;
    }
    served_ = true;
    ++steps_;
    for (const Fetch& fetch : fetches_) {
        if (fetch.requestor == requestor && fetch.property == property) {
            return;
        }
    }
    // Followed before Qt writes the answer: this runs ahead of Qt's handling of the request.
    follow(requestor, true);
    fetches_.append(Fetch{requestor, property});
}

bool X11SelectionFetches::isTextTarget(unsigned long target) {
    const auto known = textTargets_.constFind(target);
    if (known != textTargets_.constEnd()) {
        return *known;
    }
    bool text = false;
    if (char* name = XGetAtomName(connection_->display(), target)) {
        const QByteArray bytes(name);
        XFree(name);
        text = bytes == "UTF8_STRING" || bytes == "STRING" || bytes == "TEXT" ||
               bytes == "COMPOUND_TEXT" || bytes.startsWith("text/");
    }
    textTargets_.insert(target, text);
    return text;
}

bool X11SelectionFetches::fromFocusedClient(unsigned long requestor) {
    Display* display = connection_->display();
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    connection_->noteRoundTrip();
    xcb_connection_t* qt = X11SelectionOwner::qtConnection();
    if (focus <= PointerRoot || !qt) {
        return true;  // no window in particular has the keys: any fetch may be the paste
    }
    // Every resource a client creates carries its base above the server's resource mask; a
    // toolkit that fetches on a connection of its own is still the same process.
    const quint32 mask = xcb_get_setup(qt)->resource_id_mask;
    if ((focus & ~mask) == (requestor & ~mask)) {
        return true;
    }
    const qint64 process = x11ClientProcess(display, requestor);
    return process > 0 && process == x11ClientProcess(display, focus);
}

void X11SelectionFetches::follow(unsigned long requestor, bool on) {
    for (const Fetch& fetch : fetches_) {
        if (fetch.requestor == requestor) {
            return;  // still followed for another fetch
        }
    }
    Display* display = connection_->display();
    // The requestor may be gone already: that is no error of ours.
    connection_->failsWithError([&] {
        XSelectInput(display, requestor,
                     on ? PropertyChangeMask | StructureNotifyMask : NoEventMask);
    });
}

void X11SelectionFetches::drop(int index) {
    const unsigned long requestor = fetches_[index].requestor;
    fetches_.removeAt(index);
    follow(requestor, false);
}

void X11SelectionFetches::onXEvent(void* raw) {
    const XEvent& event = *static_cast<XEvent*>(raw);
    if (event.type == DestroyNotify) {
        for (int i = int(fetches_.size()) - 1; i >= 0; --i) {
            if (fetches_[i].requestor == event.xdestroywindow.window) {
                fetches_.removeAt(i);
                ++steps_;
            }
        }
        return;
    }
    if (event.type != PropertyNotify) {
        return;
    }
    for (Fetch& fetch : fetches_) {
        if (fetch.requestor != event.xproperty.window || fetch.property != event.xproperty.atom) {
            continue;
        }
        ++steps_;
        if (event.xproperty.state == PropertyNewValue) {
            fetch.written = true;
            fetch.taken = false;
        } else if (fetch.written) {
            fetch.taken = true;
            fetch.takenAtMs = clock_.elapsed();
        }
    }
}
