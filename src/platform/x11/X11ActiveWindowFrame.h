#pragma once

#include <QRect>
#include <optional>

class X11Connection;
typedef struct _XDisplay Display;

// The desktop's active window (_NET_ACTIVE_WINDOW, any application's); 0 when none.
unsigned long x11ActiveWindow(Display* display);
// Where the desktop's active window (_NET_ACTIVE_WINDOW, any application's) shows, in root
// coordinates; none when no window is active, it is not shown, or it went away meanwhile.
std::optional<QRect> x11ActiveWindowFrame(X11Connection& connection);
