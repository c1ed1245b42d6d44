// The X11 permission checks against real X servers with and without the XTEST extension.

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>

#include "platform/x11/X11PermissionProbe.h"
#include "support/EventWait.h"

// Xlib last: its macros clash with Qt's headers.
#include <X11/Xlib.h>

namespace {

// A private Xvfb on a display number it picks itself; closed and stopped on destruction.
struct PrivateXServer {
    QProcess process;
    Display* display = nullptr;
    explicit PrivateXServer(const QStringList& extraArguments) {
        process.start("Xvfb", QStringList{"-displayfd", "1", "-nolisten", "tcp"} + extraArguments);
        QByteArray output;
        waitUntil([&] {
            output += process.readAllStandardOutput();
            return output.contains('\n') || process.state() == QProcess::NotRunning;
        });
        display =
            output.contains('\n') ? XOpenDisplay((":" + output.trimmed()).constData()) : nullptr;
    }
    ~PrivateXServer() {
        if (display) {
            XCloseDisplay(display);
        }
        process.terminate();
        process.waitForFinished(5000);
    }
};

}  // namespace

// XInput2 is always there; the synthetic keys need XTEST. Nothing opens a settings page.
TEST(X11PermissionProbe, SyntheticKeysNeedXTestAndInputMonitoringNeedsXInput) {
    if (QStandardPaths::findExecutable("Xvfb").isEmpty()) {
        GTEST_SKIP() << "Xvfb is not installed";
    }
    for (bool withXTest : {true, false}) {
        PrivateXServer server(withXTest ? QStringList() : QStringList{"-extension", "XTEST"});
        ASSERT_NE(server.display, nullptr);
        X11PermissionProbe probe(server.display);
        EXPECT_EQ(probe.canPostSyntheticEvents(), withXTest) << withXTest;
        EXPECT_TRUE(probe.canMonitorInput());
        EXPECT_FALSE(probe.settingsUrl(PermissionSettingsTarget::accessibility));
    }
}
