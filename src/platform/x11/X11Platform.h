#pragma once

#include "platform/Platform.h"

// The services of the running X11 desktop, for main(): real clock, defaults files under the
// XDG folders, the clipboard, XTest keys, EWMH windows, AT-SPI, key grabs, XKB layouts and
// XInput2 monitors. Needs a QGuiApplication on the xcb platform.
Platform makeX11Platform();
