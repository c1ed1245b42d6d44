#include "platform/x11/X11EventMonitors.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11KeyMap.h"

#include "platform/x11/Xlib.h"
// Qt's event types of the same names are meant below.
#undef KeyRelease
#undef KeyPress

namespace {

// The kind of a press of an X (or Qt) button number; 0 for the wheel and its tilt.
quint32 mouseDownKind(int button) {
    switch (button) {
        case 1:
            return MonitoredEvent::LeftMouseDown;
        case 3:
            return MonitoredEvent::RightMouseDown;
        case 4:
        case 5:
        case 6:
        case 7:
            return 0;
        default:
            return MonitoredEvent::OtherMouseDown;
    }
}

quint32 mouseDownKind(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return MonitoredEvent::LeftMouseDown;
        case Qt::RightButton:
            return MonitoredEvent::RightMouseDown;
        case Qt::NoButton:
            return 0;
        default:
            return MonitoredEvent::OtherMouseDown;
    }
}

}  // namespace

X11EventMonitors::X11EventMonitors(std::shared_ptr<X11Connection> connection, QObject* parent)
    : QObject(parent), connection_(std::move(connection)) {
    keyMap_ = std::make_unique<X11KeyMap>(connection_->display());
    listener_ = connection_->addListener([this](XEvent& event) { onEvent(&event); });
}

X11EventMonitors::~X11EventMonitors() {
    connection_->removeListener(listener_);
    monitors_.clear();
    updateSelection();
    if (filtering_ && qApp) {
        qApp->removeEventFilter(this);
    }
}

EventMonitors::MonitorId X11EventMonitors::addGlobalMonitor(quint32 mask, Handler handler) {
    return add(true, mask, [handler](const MonitoredEventInfo& event) { handler(event.kind); });
}

EventMonitors::MonitorId X11EventMonitors::addLocalMonitor(quint32 mask, Handler handler) {
    return add(false, mask, [handler](const MonitoredEventInfo& event) { handler(event.kind); });
}

EventMonitors::MonitorId X11EventMonitors::addGlobalEventMonitor(quint32 mask,
                                                                 EventHandler handler) {
    return add(true, mask, std::move(handler));
}

EventMonitors::MonitorId X11EventMonitors::addLocalEventMonitor(quint32 mask,
                                                                EventHandler handler) {
    return add(false, mask, std::move(handler));
}

EventMonitors::MonitorId X11EventMonitors::add(bool global, quint32 mask, EventHandler handler) {
    const MonitorId id = nextId_++;
    monitors_.insert(id, Monitor{global, mask, std::move(handler)});
    updateSelection();
    return id;
}

void X11EventMonitors::removeMonitor(MonitorId id) {
    monitors_.remove(id);
    updateSelection();
}

void X11EventMonitors::updateSelection() {
    quint32 global = 0;
    bool local = false;
    for (const Monitor& monitor : monitors_) {
        if (monitor.global) {
            global |= monitor.mask;
        } else {
            local = true;
        }
    }
    if (local != filtering_ && qApp) {
        if (local) {
            qApp->installEventFilter(this);
        } else {
            qApp->removeEventFilter(this);
        }
        filtering_ = local;
    }
    // Raw events are selected only while someone listens.
    const auto want = [&](quint32 kind, int xiEventType) {
        if ((global & kind) != (selected_ & kind)) {
            connection_->wantRawEvent(xiEventType, global & kind);
        }
    };
    want(MonitoredEvent::KeyUp, XI_RawKeyRelease);
    want(MonitoredEvent::LeftMouseUp, XI_RawButtonRelease);
    want(MonitoredEvent::KeyDown, XI_RawKeyPress);
    // One raw event type for the three kinds of press.
    const quint32 downs = MonitoredEvent::AnyMouseDown;
    if (bool(global & downs) != bool(selected_ & downs)) {
        connection_->wantRawEvent(XI_RawButtonPress, global & downs);
    }
    selected_ = global;
}

void X11EventMonitors::deliver(bool global, quint32 kind) {
    MonitoredEventInfo event;
    event.kind = kind;
    deliver(global, event);
}

void X11EventMonitors::deliver(bool global, const MonitoredEventInfo& event) {
    const quint32 kind = event.kind;
    // Handlers may add or remove monitors.
    const QList<MonitorId> ids = monitors_.keys();
    for (MonitorId id : ids) {
        const auto it = monitors_.constFind(id);
        if (it == monitors_.constEnd() || it->global != global || !(it->mask & kind)) {
            continue;
        }
        EventHandler handler = it->handler;
        handler(event);
    }
}

void X11EventMonitors::onEvent(void* raw) {
    XEvent& event = *static_cast<XEvent*>(raw);
    if (event.type != GenericEvent || event.xcookie.extension != connection_->xinputOpcode() ||
        !event.xcookie.data) {
        return;
    }
    const auto* rawEvent = static_cast<const XIRawEvent*>(event.xcookie.data);
    if (event.xcookie.evtype == XI_RawKeyRelease && (selected_ & MonitoredEvent::KeyUp)) {
        if (!focusIsOwn()) {
            deliver(true, MonitoredEvent::KeyUp);
        }
    } else if (event.xcookie.evtype == XI_RawButtonRelease && rawEvent->detail == 1 &&
               (selected_ & MonitoredEvent::LeftMouseUp)) {
        if (!pointerIsOverOwn()) {
            deliver(true, MonitoredEvent::LeftMouseUp);
        }
    } else if (event.xcookie.evtype == XI_RawButtonPress) {
        const quint32 kind = mouseDownKind(rawEvent->detail);
        if ((selected_ & kind) && !pointerIsOverOwn()) {
            deliver(true, kind);
        }
    } else if (event.xcookie.evtype == XI_RawKeyPress && (selected_ & MonitoredEvent::KeyDown)) {
        if (!focusIsOwn()) {
            deliver(true, MonitoredEvent::KeyDown);
        }
    }
}

bool X11EventMonitors::isOwnWindow(unsigned long window) const {
    if (window == 0) {
        return false;
    }
    Display* display = connection_->display();
    QSet<unsigned long> own;
    for (QWindow* w : QGuiApplication::allWindows()) {
        if (w->handle()) {
            own.insert(w->winId());
        }
    }
    // Walk up to the root: the window may be a child of ours or a frame around ours.
    unsigned long current = window;
    for (int depth = 0; depth < 16 && current != 0; ++depth) {
        if (own.contains(current)) {
            return true;
        }
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, current, &root, &parent, &children, &count)) {
            return false;
        }
        if (children) {
            XFree(children);
        }
        if (current == root) {
            return false;
        }
        current = parent;
    }
    return false;
}

bool X11EventMonitors::focusIsOwn() const {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(connection_->display(), &focus, &revert);
    return focus > PointerRoot && isOwnWindow(focus);
}

bool X11EventMonitors::pointerIsOverOwn() const {
    Display* display = connection_->display();
    Window current = DefaultRootWindow(display);
    // Down the tree to the deepest window under the pointer.
    for (int depth = 0; depth < 16; ++depth) {
        Window root = 0;
        Window child = 0;
        int rootX = 0;
        int rootY = 0;
        int x = 0;
        int y = 0;
        unsigned mask = 0;
        if (!XQueryPointer(display, current, &root, &child, &rootX, &rootY, &x, &y, &mask) ||
            child == 0) {
            break;
        }
        current = child;
    }
    return isOwnWindow(current);
}

bool X11EventMonitors::eventFilter(QObject* watched, QEvent* event) {
    // Only window-level events: a widget event for the same input would count twice.
    if (!watched->isWindowType()) {
        return false;
    }
    MonitoredEventInfo info;
    info.window = static_cast<QWindow*>(watched);
    const auto keyCodeOf = [this](const QKeyEvent* key) {
        const auto code = keyMap_->neutralKeyCode(key->nativeScanCode());
        return code ? int(*code) : -1;
    };
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        info.kind = MonitoredEvent::LeftMouseUp;
    } else if (event->type() == QEvent::MouseButtonPress) {
        info.kind = mouseDownKind(static_cast<QMouseEvent*>(event)->button());
    } else if (event->type() == QEvent::KeyRelease &&
               !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
        info.kind = MonitoredEvent::KeyUp;
        info.keyCode = keyCodeOf(static_cast<QKeyEvent*>(event));
    } else if (event->type() == QEvent::KeyPress) {
        info.kind = MonitoredEvent::KeyDown;
        info.keyCode = keyCodeOf(static_cast<QKeyEvent*>(event));
    }
    if (info.kind != 0) {
        deliver(false, info);
    }
    return false;
}
