// Prints the locked XKB group of $DISPLAY (0, 1, ...), for the layout tests.
#include <X11/XKBlib.h>
#include <cstdio>

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        return 1;
    }
    XkbStateRec state;
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success) {
        return 1;
    }
    std::printf("%d\n", static_cast<int>(state.locked_group));
    XCloseDisplay(display);
    return 0;
}
