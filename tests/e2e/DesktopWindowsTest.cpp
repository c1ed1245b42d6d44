// The real binary's windows as a Linux desktop treats them: panels on every workspace and
// without task-bar buttons, the status box on the monitor the user works on, nothing larger
// than a small screen, the quick panel moved by its background.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <iostream>

#include "support/NiveloRoad.h"

namespace {

NiveloRoad::Options roadOptions() {
    NiveloRoad::Options options;
    options.niveloBinary = NIVELO_BINARY;
    options.testEditor = NIVELO_TEST_EDITOR;
    return options;
}

QString property(const XSession& session, const QString& window, const QString& name) {
    return session.run("xprop", {"-id", window, name});
}

// The task bar's strip as the screen shows it.
QImage taskBar(const XSession& session, const QString& name, QSize screen) {
    const QImage shot(session.screenshot(name));
    return shot.copy(0, screen.height() - XSession::kTaskBarHeight, screen.width(),
                     XSession::kTaskBarHeight);
}

// Opens a panel by its hot key with the pointer at a place; its window, found by its title
// (the status box may show meanwhile), or "".
QString openedPanel(NiveloRoad& road, const QString& hotKey, const QString& title, QPoint pointer) {
    XSession& session = road.session();
    session.xdotool({"mousemove", QString::number(pointer.x()), QString::number(pointer.y())});
    road.pressAltHotKey(hotKey);
    return session.waitForWindow("^" + title + "$", 8000);
}

void closePanel(NiveloRoad& road, const QString& panel) {
    road.session().run("wmctrl", {"-i", "-c", panel});
    XSession::waitUntil([&] { return !road.session().isViewable(panel); }, 5000);
}

QString storedDefaults(const XSession& session) {
    QFile file(session.path(".config/ai.nivelo.native/defaults.ini"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

// Each panel, shown over an editor: sticky on all desktops, out of the task bar and the pager,
// still shown after a workspace switch that hides the editor, and tint2 draws no button for it.
TEST(DesktopWindows, PanelsShowOnEveryWorkspaceWithoutTaskBarButtons) {
    NiveloRoad::Options options = roadOptions();
    options.desktop.taskBar = true;
    NiveloRoad road(options);
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    const QString editor = road.startTestEditor("Workspace Editor");
    ASSERT_FALSE(editor.isEmpty());
    session.activate(editor);
    session.type("hallo");
    session.key("ctrl+a");
    XSession::pause(500);
    const QSize screen = options.desktop.screenSize;

    const struct {
        const char* name;
        QString hotKey, title;
    } panels[] = {{"quick panel", "q", "NiveloAI Quick Menu"},
                  {"clipboard window", "v", "NiveloAI Clipboard"},
                  {"assistant", "i", "NiveloAI Assistant"},
                  {"translation preview", "r", "NiveloAI Translation Preview"}};
    for (const auto& p : panels) {
        SCOPED_TRACE(p.name);
        session.activate(editor);
        XSession::pause(300);
        const QImage barBefore = taskBar(session, QString("bar-before-%1").arg(p.hotKey), screen);
        const QString panel = openedPanel(road, p.hotKey, p.title, {400, 200});
        ASSERT_FALSE(panel.isEmpty()) << road.diagnostics("panel-open").toStdString();
        EXPECT_TRUE(XSession::waitUntil([&] {
            const QString state = property(session, panel, "_NET_WM_STATE");
            return state.contains("_NET_WM_STATE_SKIP_TASKBAR") &&
                   state.contains("_NET_WM_STATE_SKIP_PAGER");
        })) << property(session, panel, "_NET_WM_STATE").toStdString();
        EXPECT_TRUE(property(session, panel, "_NET_WM_DESKTOP").contains("= 4294967295"))
            << property(session, panel, "_NET_WM_DESKTOP").toStdString();
        XSession::pause(500);
        const QImage barWith = taskBar(session, QString("bar-with-%1").arg(p.hotKey), screen);
        EXPECT_EQ(barWith, barBefore) << "a task-bar button appeared";

        ASSERT_TRUE(session.switchWorkspace(1));
        // The window manager hid the editor, which is on the first workspace only.
        EXPECT_TRUE(XSession::waitUntil([&] { return !session.isViewable(editor); }));
        EXPECT_TRUE(session.isViewable(panel));
        std::cout << p.name << " on the second workspace: "
                  << session.screenshot(QString("workspace-2-%1").arg(p.hotKey)).toStdString()
                  << std::endl;
        ASSERT_TRUE(session.switchWorkspace(0));
        EXPECT_TRUE(XSession::waitUntil([&] { return session.isViewable(editor); }));
        closePanel(road, panel);
    }
}

// Two monitors side by side; the editor is active on the right one while the pointer rests on
// the left one: the status box of a Fix shows centred on the right one.
TEST(DesktopWindows, StatusBoxShowsOnTheMonitorOfTheActiveWindow) {
    NiveloRoad::Options options = roadOptions();
    options.desktop.screenSize = {2560, 800};
    options.desktop.monitors = {QRect(0, 0, 1280, 800), QRect(1280, 0, 1280, 800)};
    NiveloRoad road(options);
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    road.backend().setHandler([](const RecordedRequest&) {
        CannedReply reply = CannedReply::result("DONE");
        reply.delayMs = 1500;
        return reply;
    });
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    const QString editor = road.startTestEditor("Right Editor");
    ASSERT_FALSE(editor.isEmpty());
    session.xdotool({"windowmove", "--sync", editor, "1700", "200"});
    session.activate(editor);
    ASSERT_GE(session.windowGeometry(editor).left(), 1280);
    session.type("fix me");
    session.xdotool({"mousemove", "300", "300"});
    XSession::pause(300);

    road.pressAltHotKey("1");
    QString hud;
    ASSERT_TRUE(XSession::waitUntil(
        [&] { return !(hud = session.visibleWindowOfInstance()).isEmpty(); }, 8000))
        << road.diagnostics("hud-open").toStdString();
    const QRect g = session.windowGeometry(hud);
    std::cout << "status box on the right monitor: "
              << session.screenshot("hud-right-monitor").toStdString() << std::endl;
    EXPECT_NEAR(g.x() + g.width() / 2.0, 1280 + 640, 1.0) << g.x();
    EXPECT_EQ(g.y() + g.height(), 800 - 82);
}

// A 1024 x 600 screen with a task bar: the assistant, saved larger than the screen, opens
// whole inside the visible area with its minimum height, and its saved size stays.
TEST(DesktopWindows, PanelsFitASmallScreen) {
    NiveloRoad::Options options = roadOptions();
    options.desktop.screenSize = {1024, 600};
    options.desktop.taskBar = true;
    options.defaults = {{"nivelo.assistantPanel.width", "900"},
                        {"nivelo.assistantPanel.height", "900"},
                        {"nivelo.clipboardPanel.width", "700"},
                        {"nivelo.clipboardPanel.height", "800"}};
    NiveloRoad road(options);
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    const QString editor = road.startTestEditor("Small Editor");
    ASSERT_FALSE(editor.isEmpty());
    session.activate(editor);
    const QRect visible(0, 0, 1024, 600 - XSession::kTaskBarHeight);

    const struct {
        const char* name;
        QString hotKey, title;
        QSize shown;
    } panels[] = {{"assistant", "i", "NiveloAI Assistant", {900, 560}},
                  {"clipboard window", "v", "NiveloAI Clipboard", {700, 538}}};
    for (const auto& p : panels) {
        SCOPED_TRACE(p.name);
        session.activate(editor);
        const QString panel = openedPanel(road, p.hotKey, p.title, {500, 300});
        ASSERT_FALSE(panel.isEmpty()) << road.diagnostics("small-open").toStdString();
        const QRect g = session.windowGeometry(panel);
        std::cout << p.name << " at 1024 x 600: "
                  << session.screenshot(QString("small-%1").arg(p.hotKey)).toStdString()
                  << std::endl;
        EXPECT_EQ(g.size(), p.shown);
        EXPECT_TRUE(visible.contains(g))
            << g.x() << "," << g.y() << " " << g.width() << "x" << g.height();
        closePanel(road, panel);
    }
    const QString stored = storedDefaults(session);
    EXPECT_TRUE(stored.contains("nivelo.assistantPanel.height=900")) << stored.toStdString();
    EXPECT_TRUE(stored.contains("nivelo.clipboardPanel.height=800")) << stored.toStdString();
}

// A drag that starts on the quick panel's background, below its rows, moves the panel.
TEST(DesktopWindows, QuickPanelMovesByItsBackground) {
    NiveloRoad road(roadOptions());
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    const QString editor = road.startTestEditor("Drag Editor");
    ASSERT_FALSE(editor.isEmpty());
    session.activate(editor);

    const QString panel = openedPanel(road, "q", "NiveloAI Quick Menu", {300, 150});
    ASSERT_FALSE(panel.isEmpty()) << road.diagnostics("quick-open").toStdString();
    XSession::pause(300);
    const QRect before = session.windowGeometry(panel);
    // In the padding left of the rows, clear of the resizing edge.
    const QPoint press(before.left() + 10, before.top() + before.height() / 2);
    const QPoint release = press + QPoint(160, 90);
    session.xdotool({"mousemove", QString::number(press.x()), QString::number(press.y())});
    session.xdotool({"mousedown", "1"});
    for (int step = 1; step <= 8; ++step) {
        const QPoint at = press + (release - press) * step / 8;
        session.xdotool({"mousemove", QString::number(at.x()), QString::number(at.y())});
        XSession::pause(40);
    }
    session.xdotool({"mouseup", "1"});
    EXPECT_TRUE(XSession::waitUntil([&] {
        return session.windowGeometry(panel).topLeft() == before.topLeft() + (release - press);
    })) << session.windowGeometry(panel).x()
        << "," << session.windowGeometry(panel).y();
    EXPECT_EQ(session.windowGeometry(panel).size(), before.size());
    EXPECT_TRUE(session.isViewable(panel));
}
