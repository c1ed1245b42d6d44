#include "platform/x11/X11PermissionProbe.h"

// Qt first: Xlib's macros (Bool, Status, None) break Qt's headers.
#include <QGuiApplication>

#include <X11/Xlib.h>
#include <X11/extensions/XInput.h>
#include <X11/extensions/XTest.h>

namespace {
Display* applicationDisplay() {
    auto* app = qGuiApp;
    if (!app) {
        return nullptr;
    }
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}
}  // namespace

X11PermissionProbe::X11PermissionProbe() : display_(applicationDisplay()) {}

X11PermissionProbe::X11PermissionProbe(Display* display) : display_(display) {}

bool X11PermissionProbe::canPostSyntheticEvents() const {
    if (!display_) {
        return false;
    }
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    return XTestQueryExtension(display_, &eventBase, &errorBase, &major, &minor) == True;
}

bool X11PermissionProbe::canMonitorInput() const {
    if (!display_) {
        return false;
    }
    // Asks the server's version without announcing one of ours: XIQueryVersion would, and the
    // server refuses a lower version than the one Qt already announced on this connection.
    XExtensionVersion* version = XGetExtensionVersion(display_, INAME);
    if (!version || version == reinterpret_cast<XExtensionVersion*>(NoSuchExtension)) {
        return false;
    }
    // Raw events, which global monitoring needs, came with 2.0.
    const bool present = version->present && version->major_version >= 2;
    XFree(version);
    return present;
}
