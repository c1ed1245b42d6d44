#include "platform/x11/X11SelectionOwner.h"

#include <xcb/xcb.h>
#include <QGuiApplication>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/x11/X11ClientProcess.h"

// After every Qt header.
#include <X11/Xlib.h>

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> wrap(T* reply) {
    return Reply<T>(reply, &std::free);
}

xcb_atom_t atom(xcb_connection_t* connection, const QByteArray& name) {
    auto reply = wrap(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, quint16(name.size()), name.constData()),
        nullptr));
    return reply ? reply->atom : XCB_ATOM_NONE;
}

std::vector<quint32> cardinals(xcb_connection_t* connection, xcb_window_t window,
                               xcb_atom_t property, xcb_atom_t type) {
    auto reply = wrap(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, type, 0, 4096), nullptr));
    if (!reply || reply->format != 32) {
        return {};
    }
    const auto* values = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
    return std::vector<quint32>(values, values + xcb_get_property_value_length(reply.get()) / 4);
}

std::optional<qint64> pidOf(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t pidAtom) {
    const auto pid = cardinals(connection, window, pidAtom, XCB_ATOM_CARDINAL);
    if (pid.empty() || pid[0] == 0) {
        return std::nullopt;
    }
    return qint64(pid[0]);
}

}  // namespace

namespace X11SelectionOwner {

Display* qtDisplay() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

xcb_connection_t* qtConnection() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

quint32 ownerWindow(xcb_connection_t* connection, const QByteArray& selection) {
    if (!connection) {
        return 0;
    }
    const xcb_atom_t selectionAtom = atom(connection, selection);
    auto reply = wrap(xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, selectionAtom), nullptr));
    return reply ? reply->owner : 0;
}

bool ownedBy(xcb_connection_t* connection, const QByteArray& selection) {
    const quint32 owner = ownerWindow(connection, selection);
    if (owner == XCB_NONE) {
        return false;
    }
    // Every resource a client creates carries its base above the server's resource mask.
    const xcb_setup_t* setup = xcb_get_setup(connection);
    return (owner & ~setup->resource_id_mask) ==
           (setup->resource_id_base & ~setup->resource_id_mask);
}

std::optional<qint64> ownerProcess(xcb_connection_t* connection, Display* display,
                                   const QByteArray& selection) {
    const xcb_window_t owner = ownerWindow(connection, selection);
    if (owner == XCB_NONE) {
        return std::nullopt;
    }
    if (const qint64 pid = x11ClientProcess(display, owner); pid > 0) {
        return pid;
    }
    const xcb_atom_t pidAtom = atom(connection, "_NET_WM_PID");
    if (auto pid = pidOf(connection, owner, pidAtom)) {
        return pid;
    }
    // All windows of one client share the bits above the server's resource mask.
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const quint32 client = owner & ~setup->resource_id_mask;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
    if (!screen) {
        return std::nullopt;
    }
    std::vector<quint32> windows =
        cardinals(connection, screen->root, atom(connection, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    if (auto tree = wrap(
            xcb_query_tree_reply(connection, xcb_query_tree(connection, screen->root), nullptr))) {
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        windows.insert(windows.end(), children,
                       children + xcb_query_tree_children_length(tree.get()));
    }
    for (const quint32 window : windows) {
        if ((window & ~setup->resource_id_mask) != client) {
            continue;
        }
        if (auto pid = pidOf(connection, window, pidAtom)) {
            return pid;
        }
    }
    return std::nullopt;
}

}  // namespace X11SelectionOwner
