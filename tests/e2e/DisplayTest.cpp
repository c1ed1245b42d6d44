#include <gtest/gtest.h>

#include <QProcess>

#include "support/QtPrinters.h"
#include "support/XSession.h"

// Started from a login shell or a service, with no X display to work on.
TEST(Display, WithoutADisplayItSaysSoInOneLineAndExitsWithOne) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    QProcess nivelo;
    nivelo.setProcessEnvironment(env);
    nivelo.start(NIVELO_BINARY, {});
    ASSERT_TRUE(nivelo.waitForFinished(10000));
    EXPECT_EQ(nivelo.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(nivelo.exitCode(), 1);
    EXPECT_EQ(QString::fromUtf8(nivelo.readAllStandardError()),
              "NiveloAI needs an X11 display; DISPLAY is not set.\n");
    EXPECT_TRUE(nivelo.readAllStandardOutput().isEmpty());
}

// A Wayland session's environment asks Qt for Wayland; the app still runs on the X display
// (XWayland there, Xvfb here).
TEST(Display, InAWaylandSessionItRunsOnTheXDisplay) {
    XSession session;
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    QProcessEnvironment wayland;
    wayland.insert("QT_QPA_PLATFORM", "wayland");
    wayland.insert("WAYLAND_DISPLAY", "wayland-nivelo-test");
    wayland.insert("XDG_SESSION_TYPE", "wayland");
    QProcess* nivelo = session.start(NIVELO_BINARY, {}, wayland);
    EXPECT_FALSE(session.waitForWindow("^NiveloAI$").isEmpty());
    EXPECT_EQ(nivelo->state(), QProcess::Running);
}
