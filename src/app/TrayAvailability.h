#pragma once

#include <functional>

class X11SelectionWatch;

// Whether the desktop has a tray, for the dock-presence rule that is re-applied every second:
// the desktop is asked (`ask`, Qt's own answer by default) once, and again only after the
// watched tray selection changed hands, so a re-apply with nothing changed asks nothing.
// Without XFixes every call asks. The watch must outlive the function.
std::function<bool()> trayAvailability(const X11SelectionWatch& watch,
                                       std::function<bool()> ask = {});
