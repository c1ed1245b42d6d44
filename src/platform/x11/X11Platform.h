#pragma once

#include <memory>

struct Platform;
class X11Connection;

// Adds the services of the running X11 desktop to a bundle, for main(): the clipboard, XTest
// keys, EWMH windows, AT-SPI, key grabs, XKB layouts, XInput2 monitors, the permission probe,
// our own windows' activation, and screens whose main one holds the active window. Needs a
// QGuiApplication on the xcb platform. Returns the private connection they share, for what
// main() builds beside them.
std::shared_ptr<X11Connection> addX11Services(Platform& platform);
