// The X11 permission checks against real X servers with and without the XTEST extension.

#include <gtest/gtest.h>

#include <QStandardPaths>

#include "platform/x11/X11PermissionProbe.h"
#include "support/PrivateXServer.h"

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
