#include "app/NiveloAppDelegate.h"
#include "app/ShellFixture.h"
#include "app/WindowKinds.h"

// Without a tray there is no icon to come back through: closing the window must end the app.
TEST_F(ShellFixture, StaysInTheTrayOnlyWhileTheDesktopHasOne) {
    NiveloAppDelegate delegate(*defaults_, *clock_);
    bool tray = false;
    NiveloAppDelegate::setTrayProbe([&] { return tray; });
    struct Case {
        bool tray;
        bool closeToMenuBar;
        bool stays;
    };
    for (const Case& c : {Case{false, true, false}, Case{true, true, true},
                          Case{true, false, false}, Case{false, false, false}}) {
        tray = c.tray;
        defaults_->setBool("nivelo.closeToMenuBar", c.closeToMenuBar);
        EXPECT_EQ(delegate.shouldStayInMenuBar(), c.stays) << c.tray << c.closeToMenuBar;
        EXPECT_EQ(delegate.applicationShouldTerminateAfterLastWindowClosed(), !c.stays)
            << c.tray << c.closeToMenuBar;
    }
    NiveloAppDelegate::setTrayProbe([] { return true; });
}

// The tray's window for our icon is neither a main window nor one that keeps the app open.
TEST(WindowKinds, TheTrayIconWindowIsNoMainWindow) {
    QWidget tray;
    tray.setObjectName(QStringLiteral("QSystemTrayIconSys"));
    QWidget main;
    EXPECT_FALSE(WindowKinds::isMainWindow(&tray));
    EXPECT_TRUE(WindowKinds::isPanel(&tray));
    EXPECT_TRUE(WindowKinds::isMainWindow(&main));
}
