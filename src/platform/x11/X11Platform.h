#pragma once

struct Platform;

// Adds the services of the running X11 desktop to a bundle, for main(): the clipboard, XTest
// keys, EWMH windows, AT-SPI, key grabs, XKB layouts, XInput2 monitors, the permission probe
// and our own windows' activation. Needs a QGuiApplication on the xcb platform.
void addX11Services(Platform& platform);
