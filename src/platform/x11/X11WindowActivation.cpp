#include "platform/x11/X11WindowActivation.h"

#include <xcb/xcb.h>
#include <QGuiApplication>
#include <cstdlib>
#include <cstring>

X11WindowActivation::X11WindowActivation() = default;

X11WindowActivation::X11WindowActivation(xcb_connection_t* connection) : connection_(connection) {}

xcb_connection_t* X11WindowActivation::connection() const {
    if (connection_) {
        return connection_;
    }
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

void X11WindowActivation::activate(quintptr window) {
    xcb_connection_t* connection = this->connection();
    if (!connection || window == 0) {
        return;
    }
    if (activeWindowAtom_ == 0) {
        static const char kName[] = "_NET_ACTIVE_WINDOW";
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, sizeof(kName) - 1, kName), nullptr);
        if (!reply) {
            return;
        }
        activeWindowAtom_ = reply->atom;
        std::free(reply);
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen) {
        return;
    }

    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof(event));
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = static_cast<xcb_window_t>(window);
    event.type = activeWindowAtom_;
    event.data.data32[0] = kSourcePager;
    event.data.data32[1] = XCB_CURRENT_TIME;
    event.data.data32[2] = 0;  // we have no active window of our own to name
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
}
