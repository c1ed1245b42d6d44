#pragma once

struct Platform;

// Adds the services of the running X11 desktop to a bundle, for main(): the clipboard, XTest
// keys, EWMH windows, AT-SPI, key grabs, XKB layouts, XInput2 monitors, the permission probe,
// our own windows' activation, and screens whose main one holds the active window. Needs a
// QGuiApplication on the xcb platform.
void addX11Services(Platform& platform);
