#include "platform/x11/X11ActiveWindowFrame.h"

#include "platform/x11/X11Connection.h"

#include "platform/x11/Xlib.h"

unsigned long x11ActiveWindow(Display* display) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    unsigned long active = 0;
    if (XGetWindowProperty(display, DefaultRootWindow(display),
                           XInternAtom(display, "_NET_ACTIVE_WINDOW", False), 0, 1, False,
                           XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
        data) {
        if (format == 32 && count == 1) {
            active = *reinterpret_cast<const unsigned long*>(data);
        }
        XFree(data);
    }
    return active;
}

std::optional<QRect> x11ActiveWindowFrame(X11Connection& connection) {
    Display* display = connection.display();
    if (!display) {
        return std::nullopt;
    }
    const Window root = DefaultRootWindow(display);
    const Window active = x11ActiveWindow(display);
    if (active == 0) {
        return std::nullopt;
    }
    std::optional<QRect> frame;
    // The window may be gone by now: its requests then fail instead of ending the process.
    connection.failsWithError([&] {
        XWindowAttributes attributes{};
        int x = 0;
        int y = 0;
        Window child = 0;
        if (XGetWindowAttributes(display, active, &attributes) &&
            attributes.map_state == IsViewable &&
            XTranslateCoordinates(display, active, root, 0, 0, &x, &y, &child)) {
            frame = QRect(x, y, attributes.width, attributes.height);
        }
    });
    return frame;
}
