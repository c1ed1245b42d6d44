// The X11 permission checks against real X servers with and without the XTEST extension.

#include <gtest/gtest.h>

#include <QStandardPaths>

#include "platform/x11/X11PermissionProbe.h"
#include "support/PrivateXServer.h"

// Xlib last: its macros clash with Qt's headers.
#include <X11/extensions/XInput2.h>

// XInput2 is always there, also on a connection that already announced its own XInput
// version, as Qt's does; the synthetic keys need XTEST. Nothing opens a settings page.
TEST(X11PermissionProbe, SyntheticKeysNeedXTestAndInputMonitoringNeedsXInput) {
    if (QStandardPaths::findExecutable("Xvfb").isEmpty()) {
        GTEST_SKIP() << "Xvfb is not installed";
    }
    for (bool withXTest : {true, false}) {
        PrivateXServer server(withXTest ? QStringList() : QStringList{"-extension", "XTEST"});
        ASSERT_NE(server.display, nullptr);
        int major = 2;
        int minor = 2;
        ASSERT_EQ(XIQueryVersion(server.display, &major, &minor), Success);
        X11PermissionProbe probe(server.display);
        EXPECT_EQ(probe.canPostSyntheticEvents(), withXTest) << withXTest;
        EXPECT_TRUE(probe.canMonitorInput());
        EXPECT_FALSE(probe.settingsUrl(PermissionSettingsTarget::accessibility));
        EXPECT_FALSE(probe.canRequest() || probe.canReset());
    }
}
