#pragma once

#include <QByteArray>
#include <optional>

typedef struct xcb_connection_t xcb_connection_t;
typedef struct _XDisplay Display;

// Who owns an X selection, asked on any connection to the display.
namespace X11SelectionOwner {

// The owner's window; 0 when nobody owns the selection.
quint32 ownerWindow(xcb_connection_t* connection, const QByteArray& selection);

// Whether a window of `connection`'s own client owns the selection: what the server says, not
// what the toolkit on that connection believes.
bool ownedBy(xcb_connection_t* connection, const QByteArray& selection);

// The process that owns the selection: the X server's record of the owner's client (the
// X-Resource extension, given `display`, the same display as `connection`), else the
// _NET_WM_PID of the owner window or of a top-level window of the same client (toolkits own
// selections through hidden windows, some on a connection of their own). None when nobody owns
// it or nothing names the process.
std::optional<qint64> ownerProcess(xcb_connection_t* connection, Display* display,
                                   const QByteArray& selection);

// The connection Qt talks to the display on, and its Xlib display; null outside an X11 session.
xcb_connection_t* qtConnection();
Display* qtDisplay();

}  // namespace X11SelectionOwner
