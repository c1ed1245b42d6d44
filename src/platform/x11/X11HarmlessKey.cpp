#include "platform/x11/X11HarmlessKey.h"

#include "platform/x11/Xlib.h"

namespace x11HarmlessKey {

unsigned find(Display* display) {
    int first = 0;
    int last = 0;
    XDisplayKeycodes(display, &first, &last);
    int perCode = 0;
    KeySym* syms = XGetKeyboardMapping(display, XKeyCode(first), last - first + 1, &perCode);
    unsigned found = 0;
    for (int code = last; syms && code >= first && found == 0; --code) {
        bool bound = false;
        for (int i = 0; i < perCode; ++i) {
            bound = bound || syms[(code - first) * perCode + i] != NoSymbol;
        }
        if (!bound) {
            found = unsigned(code);
        }
    }
    if (syms) {
        XFree(syms);
    }
    return found;
}

void send(Display* display, unsigned long window, unsigned keycode, unsigned state,
          unsigned long time) {
    XEvent event{};
    XKeyEvent& key = event.xkey;
    key.type = KeyPress;
    key.display = display;
    key.window = window;
    key.root = DefaultRootWindow(display);
    key.time = time;
    key.state = state;
    key.keycode = keycode;
    key.same_screen = True;
    XSendEvent(display, window, False, KeyPressMask, &event);
    key.type = KeyRelease;
    XSendEvent(display, window, False, KeyReleaseMask, &event);
}

}  // namespace x11HarmlessKey
