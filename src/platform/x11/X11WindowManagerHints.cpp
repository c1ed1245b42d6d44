#include "platform/x11/X11WindowManagerHints.h"

#include <xcb/xcb.h>
#include <QByteArray>
#include <QGuiApplication>
#include <QRect>
#include <QRegion>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

xcb_connection_t* qtConnection() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

int defaultScreenNumber() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display()) {
        return 0;
    }
    // The display name ends in ".<screen>"; Qt opens the default screen.
    const QByteArray name = qgetenv("DISPLAY");
    const int dot = name.lastIndexOf('.');
    const int colon = name.lastIndexOf(':');
    return dot > colon ? name.mid(dot + 1).toInt() : 0;
}

xcb_window_t rootWindow(xcb_connection_t* connection) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    return screen ? screen->root : 0;
}

// A window property of 32-bit values (atoms, window ids); empty when it is missing.
std::vector<quint32> property32(xcb_connection_t* connection, xcb_window_t window, quint32 name,
                                quint32 type) {
    std::vector<quint32> values;
    if (xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, window, name, type, 0, 1024), nullptr)) {
        if (reply->format == 32 && reply->type == type) {
            const auto* data = static_cast<const quint32*>(xcb_get_property_value(reply));
            values.assign(data, data + xcb_get_property_value_length(reply) / 4);
        }
        std::free(reply);
    }
    return values;
}

}  // namespace

quint32 X11WindowManagerHints::atom(const char* name) const {
    xcb_connection_t* connection = qtConnection();
    if (!connection) {
        return 0;
    }
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    if (!reply) {
        return 0;
    }
    const quint32 result = reply->atom;
    std::free(reply);
    return result;
}

bool X11WindowManagerHints::isCompositing() const {
    xcb_connection_t* connection = qtConnection();
    if (!connection) {
        return false;
    }
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(defaultScreenNumber());
    const quint32 selection = atom(name.constData());
    if (selection == 0) {
        return false;
    }
    xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, selection), nullptr);
    if (!reply) {
        return false;
    }
    const bool owned = reply->owner != XCB_NONE;
    std::free(reply);
    return owned;
}

void X11WindowManagerHints::setPanelState(quintptr window) {
    writePanelState(window, true);
}

void X11WindowManagerHints::writePanelState(quintptr window, bool workspaceRequests) {
    xcb_connection_t* connection = qtConnection();
    if (!connection || window == 0) {
        return;
    }
    const xcb_window_t id = xcb_window_t(window);
    const quint32 stateAtom = atom("_NET_WM_STATE");
    const quint32 desktopAtom = atom("_NET_WM_DESKTOP");
    const quint32 wanted[] = {atom("_NET_WM_STATE_STICKY"), atom("_NET_WM_STATE_SKIP_TASKBAR"),
                              atom("_NET_WM_STATE_SKIP_PAGER")};
    constexpr quint32 kAllDesktops = 0xFFFFFFFFu;

    // As properties, merged with what Qt writes there (it keeps atoms it finds) for the
    // window manager to read when it maps the window.
    std::vector<quint32> states = property32(connection, id, stateAtom, XCB_ATOM_ATOM);
    for (const quint32 state : wanted) {
        if (std::find(states.begin(), states.end(), state) == states.end()) {
            states.push_back(state);
        }
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, stateAtom, XCB_ATOM_ATOM, 32,
                        uint32_t(states.size()), states.data());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, desktopAtom, XCB_ATOM_CARDINAL, 32,
                        1, &kAllDesktops);

    // As requests, for a window manager that already manages it.
    const xcb_window_t root = rootWindow(connection);
    const auto send = [&](quint32 type, quint32 d0, quint32 d1, quint32 d2) {
        xcb_client_message_event_t event;
        std::memset(&event, 0, sizeof(event));
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = id;
        event.type = type;
        event.data.data32[0] = d0;
        event.data.data32[1] = d1;
        event.data.data32[2] = d2;
        event.data.data32[3] = 1;  // source: an application
        xcb_send_event(connection, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    };
    const quint32 kAdd = 1;
    if (workspaceRequests) {
        send(stateAtom, kAdd, wanted[0], 0);
        send(desktopAtom, kAllDesktops, 1, 0);
    }
    send(stateAtom, kAdd, wanted[1], wanted[2]);
    xcb_flush(connection);
}

quintptr X11WindowManagerHints::activeFullScreenWindow() const {
    xcb_connection_t* connection = qtConnection();
    if (!connection) {
        return 0;
    }
    const xcb_window_t root = rootWindow(connection);
    const std::vector<quint32> active =
        property32(connection, root, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    const quint32 stateAtom = atom("_NET_WM_STATE");
    const quint32 fullScreen = atom("_NET_WM_STATE_FULLSCREEN");
    // One of our panels may be active over it: follow the transients up a few steps.
    xcb_window_t window = active.empty() ? XCB_NONE : active.front();
    for (int step = 0; step < 4 && window != XCB_NONE && window != root; ++step) {
        const std::vector<quint32> states =
            property32(connection, window, stateAtom, XCB_ATOM_ATOM);
        if (std::find(states.begin(), states.end(), fullScreen) != states.end()) {
            return window;
        }
        const std::vector<quint32> parent =
            property32(connection, window, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW);
        window = parent.empty() || parent.front() == window ? XCB_NONE : parent.front();
    }
    return 0;
}

void X11WindowManagerHints::setFullScreenAuxiliary(quintptr window, quintptr fullScreenWindow) {
    xcb_connection_t* connection = qtConnection();
    if (!connection || window == 0 || window == fullScreenWindow) {
        return;
    }
    const xcb_window_t id = xcb_window_t(window);
    if (fullScreenWindow == 0) {
        xcb_delete_property(connection, id, XCB_ATOM_WM_TRANSIENT_FOR);
        xcb_flush(connection);
        return;
    }
    // openbox moves a transient's parent along with it to another workspace: asked to put
    // the transient on every workspace, it would put the full-screen window there too. So
    // only what the window manager reads at the map is written, before the hint.
    writePanelState(window, false);
    const xcb_window_t parent = xcb_window_t(fullScreenWindow);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_TRANSIENT_FOR,
                        XCB_ATOM_WINDOW, 32, 1, &parent);
    xcb_flush(connection);
}

namespace {

// Where a window lies on the screen; empty when it is not viewable or is gone.
QRect viewableRect(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window) {
    QRect rect;
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr);
    const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    if (!viewable) {
        return rect;
    }
    xcb_get_geometry_reply_t* geometry =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr);
    xcb_translate_coordinates_reply_t* origin = xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, window, root, 0, 0), nullptr);
    if (geometry && origin) {
        rect = QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
    }
    std::free(geometry);
    std::free(origin);
    return rect;
}

}  // namespace

bool X11WindowManagerHints::isCovered(quintptr window) const {
    xcb_connection_t* connection = qtConnection();
    if (!connection || window == 0) {
        return false;
    }
    const xcb_window_t root = rootWindow(connection);
    QRegion left = viewableRect(connection, root, xcb_window_t(window));
    if (left.isEmpty()) {
        return true;
    }
    // Bottom to top.
    const std::vector<quint32> stacking =
        property32(connection, root, atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW);
    auto above = std::find(stacking.begin(), stacking.end(), quint32(window));
    if (above == stacking.end()) {
        return false;
    }
    for (++above; above != stacking.end() && !left.isEmpty(); ++above) {
        left -= viewableRect(connection, root, *above);
    }
    return left.isEmpty();
}
