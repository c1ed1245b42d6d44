#include <gtest/gtest.h>

#include <QWidget>

#include "capture/FocusService.h"
#include "platform/x11/AtspiAccessibility.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Workspace.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

namespace {
struct WorkspaceFixture : ::testing::Test {
    std::shared_ptr<X11Connection> connection = std::make_shared<X11Connection>();
    X11Workspace workspace{connection};

    qint64 pidOf(const QString& window) {
        return x11Session().xdotool({"getwindowpid", window}).trimmed().toLongLong();
    }
    QString activeWindow() { return x11Session().xdotool({"getactivewindow"}).trimmed(); }
    // Activates a window as the user would and stays there a moment, so that the activation
    // event reaches the workspace while the window is still the active one.
    void switchTo(const QString& window) {
        x11Session().activate(window);
        ASSERT_TRUE(XSession::waitUntil([&] { return activeWindow() == window; }));
        XSession::waitUntil([] { return false; }, 150);
    }
    std::optional<RunningApplication> application(qint64 pid) {
        for (const RunningApplication& app : workspace.runningApplications()) {
            if (app.processIdentifier == pid) {
                return app;
            }
        }
        return std::nullopt;
    }
};
}  // namespace

TEST_F(WorkspaceFixture, ListsApplicationsByProcessWithTheirIdentifiers) {
    const QString window = startTestEditor(x11Session().path("ws.txt"), "Listed Editor", 2);
    ASSERT_FALSE(window.isEmpty());
    QWidget own;
    own.setWindowTitle("Our Window");
    own.show();
    ASSERT_FALSE(x11Session().waitForWindow("Our Window").isEmpty());

    const qint64 editorPid = pidOf(window);
    int editorEntries = 0;
    for (const RunningApplication& app : workspace.runningApplications()) {
        editorEntries += app.processIdentifier == editorPid ? 1 : 0;
    }
    // Two windows, one application.
    EXPECT_EQ(editorEntries, 1);
    const auto editor = application(editorPid);
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->bundleIdentifier, "nivelo-test-editor");
    EXPECT_TRUE(editor->path.endsWith("nivelo-test-editor"));
    const auto ours = application(workspace.ownProcessIdentifier());
    ASSERT_TRUE(ours);
    EXPECT_EQ(ours->bundleIdentifier, "ai.nivelo.native");
}

TEST_F(WorkspaceFixture, ReportsTheFrontmostApplicationAndActivations) {
    const QString first = startTestEditor(x11Session().path("a.txt"), "First Editor");
    const QString second = startTestEditor(x11Session().path("b.txt"), "Second Editor");
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    switchTo(second);
    QList<RunningApplication> activated;
    QObject::connect(&workspace, &Workspace::applicationActivated,
                     [&](const RunningApplication& app) { activated.append(app); });

    switchTo(first);
    ASSERT_TRUE(workspace.frontmostApplication());
    EXPECT_EQ(workspace.frontmostApplication()->processIdentifier, pidOf(first));
    switchTo(second);
    EXPECT_EQ(workspace.frontmostApplication()->processIdentifier, pidOf(second));
    ASSERT_EQ(activated.size(), 2);
    EXPECT_EQ(activated[0].processIdentifier, pidOf(first));
    EXPECT_EQ(activated[1].processIdentifier, pidOf(second));
    EXPECT_EQ(activated[1].bundleIdentifier, "nivelo-test-editor");

    // Our own window becoming active is no other application's activation.
    QWidget own;
    own.setWindowTitle("Own Active Window");
    own.show();
    const QString ownId = x11Session().waitForWindow("Own Active Window");
    ASSERT_FALSE(ownId.isEmpty());
    switchTo(ownId);
    EXPECT_EQ(activated.size(), 2);
    EXPECT_EQ(workspace.frontmostApplication()->bundleIdentifier, "ai.nivelo.native");
}

// Two windows of one editor: activating the application brings back the one the user was in.
TEST_F(WorkspaceFixture, ActivatesTheMostRecentlyActiveWindowOfTheProcess) {
    const QString window = startTestEditor(x11Session().path("two.txt"), "Twin", 2);
    const QString other = startTestEditor(x11Session().path("other.txt"), "Other Editor");
    ASSERT_FALSE(window.isEmpty());
    ASSERT_FALSE(other.isEmpty());
    const QString twin1 = x11Session().waitForWindow("Twin 1");
    const QString twin2 = x11Session().waitForWindow("Twin 2");
    const qint64 twinPid = pidOf(twin1);

    // The user works in window 2, then window 1, then switches to the other editor.
    switchTo(twin2);
    switchTo(twin1);
    switchTo(other);

    ASSERT_TRUE(workspace.activate(twinPid));
    EXPECT_TRUE(XSession::waitUntil([&] { return activeWindow() == twin1; }))
        << activeWindow().toStdString();

    switchTo(twin2);
    switchTo(other);
    ASSERT_TRUE(workspace.activate(twinPid));
    EXPECT_TRUE(XSession::waitUntil([&] { return activeWindow() == twin2; }));

    EXPECT_FALSE(workspace.activate(999999));
}

TEST(X11WorkspaceIdentifier, FollowsTheGtkIdThenDesktopEntriesThenTheClass) {
    const QMap<QString, QString> byWmClass{{"featherpad", "featherpad"}, {"code", "code-oss"}};
    const QMap<QString, QString> byFile{{"org.xfce.mousepad", "org.xfce.mousepad"},
                                        {"gimp", "gimp"}};
    EXPECT_EQ(
        X11Workspace::identifierFor("org.xfce.mousepad", "mousepad", "Mousepad", byWmClass, byFile),
        "org.xfce.mousepad");
    EXPECT_EQ(X11Workspace::identifierFor("", "code", "Code", byWmClass, byFile), "code-oss");
    EXPECT_EQ(X11Workspace::identifierFor("", "gimp-2.10", "Gimp", byWmClass, byFile), "gimp");
    EXPECT_EQ(X11Workspace::identifierFor("", "nivelo-test-editor", "Nivelo-test-editor", byWmClass,
                                          byFile),
              "nivelo-test-editor");
}

// xmessage sets no _NET_WM_PID: its process comes from the X server, so it is the frontmost
// application, is listed, can be activated again and is what focus memory remembers.
TEST_F(WorkspaceFixture, AWindowWithoutPidHasItsProcessFromTheServer) {
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
