#include <gtest/gtest.h>

#include <QProcess>

#include "capture/FocusService.h"
#include "platform/x11/AtspiAccessibility.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Workspace.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

// xmessage sets no _NET_WM_PID: its process comes from the X server, so it is the frontmost
// application, is listed, can be activated again and is what focus memory remembers.
TEST(X11WindowWithoutPid, ItsProcessComesFromTheServer) {
    auto connection = std::make_shared<X11Connection>();
    X11Workspace workspace(connection);
    AtspiAccessibility accessibility;
    FocusService focus(workspace, accessibility);
    QProcess* xmessage = x11Session().start("xmessage", {"-title", "Bare Message", "no pid here"});
    const QString window = x11Session().waitForWindow("Bare Message");
    ASSERT_FALSE(window.isEmpty());
    ASSERT_EQ(x11Session().run("xprop", {"-id", window, "_NET_WM_PID"}).contains("CARDINAL"),
              false);
    const qint64 pid = xmessage->processId();

    const QString editor = startTestEditor(x11Session().path("pid.txt"), "Pid Editor");
    ASSERT_FALSE(editor.isEmpty());
    x11Session().activate(window);
    ASSERT_TRUE(XSession::waitUntil([&] {
        const auto front = workspace.frontmostApplication();
        return front && front->processIdentifier == pid;
    }));
    EXPECT_EQ(workspace.frontmostApplication()->bundleIdentifier, "xmessage");
    focus.rememberFrontmostApplication();
    EXPECT_EQ(focus.rememberedProcessIdentifier(), pid);

    bool listed = false;
    for (const RunningApplication& app : workspace.runningApplications()) {
        listed = listed || app.processIdentifier == pid;
    }
    EXPECT_TRUE(listed);

    x11Session().activate(editor);
    ASSERT_TRUE(XSession::waitUntil([&] {
        const auto front = workspace.frontmostApplication();
        return front && front->processIdentifier != pid;
    }));
    EXPECT_TRUE(workspace.activate(pid));
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return x11Session().xdotool({"getactivewindow"}).trimmed() == window; }));
}
