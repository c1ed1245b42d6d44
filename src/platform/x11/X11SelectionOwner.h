#pragma once

#include <QByteArray>
#include <optional>

typedef struct xcb_connection_t xcb_connection_t;

// Who owns an X selection, asked on any connection to the display.
namespace X11SelectionOwner {

// The owner's window; 0 when nobody owns the selection.
quint32 ownerWindow(xcb_connection_t* connection, const QByteArray& selection);

// The process that owns the selection: the _NET_WM_PID of the owner window, else of a
// top-level window of the same client (toolkits own selections through hidden windows that
// carry no pid). None when nobody owns it or no window of that client names its process.
std::optional<qint64> ownerProcess(xcb_connection_t* connection, const QByteArray& selection);

// The connection Qt talks to the display on; null outside an X11 session.
xcb_connection_t* qtConnection();

}  // namespace X11SelectionOwner
