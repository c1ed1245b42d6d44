#include "platform/x11/X11SelectionWatch.h"

#include "platform/x11/X11Connection.h"

#include "platform/x11/Xlib.h"

#include <X11/extensions/Xfixes.h>

X11SelectionWatch::X11SelectionWatch(std::shared_ptr<X11Connection> connection,
                                     const QByteArray& selection)
    : connection_(std::move(connection)) {
    Display* display = connection_->display();
    int errorBase = 0;
    if (!display || !XFixesQueryExtension(display, &eventBase_, &errorBase)) {
        eventBase_ = -1;
        return;
    }
    selection_ = XInternAtom(display, selection.constData(), False);
    XFixesSelectSelectionInput(display, DefaultRootWindow(display), selection_,
                               XFixesSetSelectionOwnerNotifyMask |
                                   XFixesSelectionWindowDestroyNotifyMask |
                                   XFixesSelectionClientCloseNotifyMask);
    // Selected before the owner is read: a change in between is counted, not lost.
    hasOwner_ = XGetSelectionOwner(display, selection_) != None;
    connection_->noteRoundTrip();
    listener_ = connection_->addListener([this](XEvent& event) {
        if (event.type != eventBase_ + XFixesSelectionNotify) {
            return;
        }
        const auto& notify = reinterpret_cast<const XFixesSelectionNotifyEvent&>(event);
        if (notify.selection != selection_) {
            return;
        }
        hasOwner_ = notify.subtype == XFixesSetSelectionOwnerNotify && notify.owner != None;
        ++changeCount_;
        if (changed_) {
            changed_();
        }
    });
}

X11SelectionWatch::~X11SelectionWatch() {
    if (listener_) {
        connection_->removeListener(listener_);
    }
    if (Display* display = connection_->display(); display && eventBase_ >= 0) {
        XFixesSelectSelectionInput(display, DefaultRootWindow(display), selection_, 0);
        XFlush(display);
    }
}

QByteArray X11SelectionWatch::systemTraySelection(const X11Connection& connection) {
    Display* display = connection.display();
    return "_NET_SYSTEM_TRAY_S" + QByteArray::number(display ? DefaultScreen(display) : 0);
}
