#include "support/PrivateXServer.h"

#include "support/EventWait.h"

// Xlib last: its macros clash with Qt's headers.
#include <X11/Xlib.h>

PrivateXServer::PrivateXServer(const QStringList& extraArguments) {
    process.start("Xvfb", QStringList{"-displayfd", "1", "-nolisten", "tcp"} + extraArguments);
    QByteArray output;
    waitUntil([&] {
        output += process.readAllStandardOutput();
        return output.contains('\n') || process.state() == QProcess::NotRunning;
    });
    display = output.contains('\n') ? XOpenDisplay((":" + output.trimmed()).constData()) : nullptr;
}

PrivateXServer::~PrivateXServer() {
    if (display) {
        XCloseDisplay(display);
    }
    process.terminate();
    process.waitForFinished(5000);
}
