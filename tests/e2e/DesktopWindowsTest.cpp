// The real binary's windows as a Linux desktop treats them: panels on every workspace and
// without task-bar buttons, the status box on the monitor the user works on, nothing larger
// than a small screen, the quick panel moved by its background.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <iostream>

#include "E2eRoadOptions.h"

#include <atspi/atspi.h>

namespace {

NiveloRoad::Options roadOptions() {
    NiveloRoad::Options options = e2eRoadOptions();
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

// A window's client area on the screen and the frame the window manager drew around it.
struct Drawn {
    QRect client, frame;
};

Drawn drawnWindow(const XSession& session, const QString& window) {
    Drawn drawn;
    const QString info = session.run("xwininfo", {"-id", window});
    const auto value = [&](const QString& key) {
        return info.section(key + ":", 1).section('\n', 0, 0).trimmed().toInt();
    };
    drawn.client = QRect(value("Absolute upper-left X"), value("Absolute upper-left Y"),
                         value("Width"), value("Height"));
    const QStringList extents = session.run("xprop", {"-id", window, "_NET_FRAME_EXTENTS"})
                                    .section('=', 1)
                                    .split(',', Qt::SkipEmptyParts);
    if (extents.size() == 4) {
        drawn.frame = drawn.client.adjusted(-extents[0].toInt(), -extents[2].toInt(),
                                            extents[1].toInt(), extents[3].toInt());
    }
    return drawn;
}

// Where AT-SPI puts the first element of a process's windows that matches, in screen
// coordinates.
std::optional<QRect> extentsOverAtspi(const XSession& session, qint64 pid,
                                      const std::function<bool(AtspiAccessible*)>& matches) {
    const QProcessEnvironment env = session.environment();
    qputenv("DISPLAY", env.value("DISPLAY").toLocal8Bit());
    qputenv("DBUS_SESSION_BUS_ADDRESS", env.value("DBUS_SESSION_BUS_ADDRESS").toLocal8Bit());
    atspi_init();
    std::optional<QRect> found;
    const std::function<void(AtspiAccessible*, int)> walk = [&](AtspiAccessible* node, int depth) {
        if (found || depth > 16) {
            return;
        }
        if (matches(node)) {
            if (AtspiComponent* component = atspi_accessible_get_component_iface(node)) {
                if (AtspiRect* r =
                        atspi_component_get_extents(component, ATSPI_COORD_TYPE_SCREEN, nullptr)) {
                    found = QRect(r->x, r->y, r->width, r->height);
                    g_free(r);
                }
                g_object_unref(component);
            }
            return;
        }
        const int children = atspi_accessible_get_child_count(node, nullptr);
        for (int i = 0; i < children && !found; ++i) {
            if (AtspiAccessible* child = atspi_accessible_get_child_at_index(node, i, nullptr)) {
                walk(child, depth + 1);
                g_object_unref(child);
            }
        }
    };
    AtspiAccessible* desktop = atspi_get_desktop(0);
    const int apps = atspi_accessible_get_child_count(desktop, nullptr);
    for (int i = 0; i < apps && !found; ++i) {
        AtspiAccessible* app = atspi_accessible_get_child_at_index(desktop, i, nullptr);
        if (app && atspi_accessible_get_process_id(app, nullptr) == guint(pid)) {
            walk(app, 0);
        }
        if (app) {
            g_object_unref(app);
        }
    }
    g_object_unref(desktop);
    return found;
}

// Where AT-SPI puts the menu bar of a process's window.
std::optional<QRect> menuBarOverAtspi(const XSession& session, qint64 pid) {
    return extentsOverAtspi(session, pid, [](AtspiAccessible* node) {
        return atspi_accessible_get_role(node, nullptr) == ATSPI_ROLE_MENU_BAR;
    });
}

// Where AT-SPI puts a showing element of a process with this name.
std::optional<QRect> namedOverAtspi(const XSession& session, qint64 pid, const QString& name) {
    return extentsOverAtspi(session, pid, [&](AtspiAccessible* node) {
        gchar* own = atspi_accessible_get_name(node, nullptr);
        const bool named = own && QString::fromUtf8(own) == name;
        g_free(own);
        if (!named) {
            return false;
        }
        AtspiStateSet* states = atspi_accessible_get_state_set(node);
        const bool showing = states && atspi_state_set_contains(states, ATSPI_STATE_SHOWING);
        if (states) {
            g_object_unref(states);
        }
        return showing;
    });
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

// 1920 x 1080 at 200 % (Xft.dpi 192) with a task bar: 960 x 525 logical px are visible, less
// than the assistant's minimum height. Each panel, opened with the pointer low on the screen,
// lies inside the visible area, and so do the assistant's message field and send button; the
// saved sizes stay. The settings window too.
TEST(DesktopWindows, PanelsFitTheScreenAtDoubleScale) {
    NiveloRoad::Options options = roadOptions();
    options.accessibilityBus = true;
    options.desktop.screenSize = {1920, 1080};
    options.desktop.taskBar = true;
    options.desktop.xftDpi = 192;
    options.defaults = {{"nivelo.assistantPanel.width", "620"},
                        {"nivelo.assistantPanel.height", "680"}};
    NiveloRoad road(options);
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    const QString editor = road.startTestEditor("Scaled Editor");
    ASSERT_FALSE(editor.isEmpty());
    session.activate(editor);
    session.type("hallo");
    session.key("ctrl+a");
    XSession::pause(500);
    const QRect visible(0, 0, 1920, 1080 - XSession::kTaskBarHeight);
    const auto where = [](const QRect& r) {
        return QString("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };

    const struct {
        const char* name;
        QString hotKey, title;
        QStringList controls;  // named elements that must show inside the visible area
    } panels[] = {{"quick panel", "q", "NiveloAI Quick Menu", {}},
                  {"clipboard window", "v", "NiveloAI Clipboard", {}},
                  {"translation preview", "r", "NiveloAI Translation Preview", {}},
                  {"assistant", "i", "NiveloAI Assistant", {"Ask AI...", "Send"}}};
    for (const auto& p : panels) {
        SCOPED_TRACE(p.name);
        session.activate(editor);
        const QString panel = openedPanel(road, p.hotKey, p.title, {1500, 1000});
        ASSERT_FALSE(panel.isEmpty()) << road.diagnostics("scaled-open").toStdString();
        XSession::pause(500);
        const QRect g = session.windowGeometry(panel);
        std::cout << p.name << " at 200 %: "
                  << session.screenshot(QString("scaled-%1").arg(p.hotKey)).toStdString()
                  << std::endl;
        EXPECT_TRUE(visible.contains(g)) << where(g).toStdString();
        for (const QString& control : p.controls) {
            std::optional<QRect> shown;
            XSession::waitUntil(
                [&] {
                    return (shown = namedOverAtspi(session, road.nivelo()->processId(), control))
                        .has_value();
                },
                8000);
            ASSERT_TRUE(shown) << control.toStdString();
            // AT-SPI speaks logical pixels.
            const QRect drawn(shown->topLeft() * 2, shown->size() * 2);
            EXPECT_TRUE(visible.contains(drawn) && g.contains(drawn))
                << control.toStdString() << " " << where(drawn).toStdString();
        }
        closePanel(road, panel);
    }
    const QString stored = storedDefaults(session);
    EXPECT_TRUE(stored.contains("nivelo.assistantPanel.height=680")) << stored.toStdString();

    // A second launch asks the running one for its window: placed by the window manager the
    // first time, then closed to the tray and asked for again.
    QString window;
    for (const char* round : {"first", "again"}) {
        SCOPED_TRACE(round);
        session.run(NIVELO_BINARY, {}, 15000);
        window = session.waitForWindow("^NiveloAI$", 8000);
        ASSERT_FALSE(window.isEmpty());
        ASSERT_TRUE(XSession::waitUntil([&] { return session.isViewable(window); }, 8000));
        XSession::waitUntil([&] { return visible.contains(drawnWindow(session, window).frame); },
                            3000);
        const Drawn drawn = drawnWindow(session, window);
        std::cout << "settings window at 200 %: "
                  << session.screenshot(QString("scaled-settings-%1").arg(round)).toStdString()
                  << std::endl;
        EXPECT_TRUE(visible.contains(drawn.frame)) << where(drawn.frame).toStdString();
        session.run("wmctrl", {"-i", "-c", window});
        ASSERT_TRUE(XSession::waitUntil([&] { return !session.isViewable(window); }));
    }
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
    // The window manager takes the pointer over once it has the request to move.
    XSession::pause(300);
    for (int step = 1; step <= 8; ++step) {
        const QPoint at = press + (release - press) * step / 8;
        session.xdotool({"mousemove", QString::number(at.x()), QString::number(at.y())});
        XSession::pause(60);
    }
    const QPoint target = before.topLeft() + (release - press);
    // Held at the end until the window is there, as a person's hand would be.
    const bool moved = XSession::waitUntil([&] {
        session.xdotool({"mousemove", QString::number(release.x()), QString::number(release.y())});
        return session.windowGeometry(panel).topLeft() == target;
    });
    session.xdotool({"mouseup", "1"});
    EXPECT_TRUE(moved) << session.windowGeometry(panel).x() << ","
                       << session.windowGeometry(panel).y();
    XSession::pause(300);
    EXPECT_EQ(session.windowGeometry(panel).topLeft(), target);
    EXPECT_EQ(session.windowGeometry(panel).size(), before.size());
    EXPECT_TRUE(session.isViewable(panel));
}

// The settings window on a 1024 x 600 screen with a task bar, made taller than the visible area
// and moved low by the user, then closed to the tray and asked for again: it comes back whole
// inside the visible area, and AT-SPI places its menu bar where the window manager drew it.
TEST(DesktopWindows, MainWindowReopensInsideTheVisibleArea) {
    NiveloRoad::Options options = roadOptions();
    options.accessibilityBus = true;
    options.desktop.screenSize = {1024, 600};
    options.desktop.taskBar = true;
    options.defaults = {{"nivelo.openMainWindowOnLaunch", "true"}};
    NiveloRoad road(options);
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    const QString window = session.waitForWindow("^NiveloAI$");
    ASSERT_FALSE(window.isEmpty());
    const QRect visible(0, 0, 1024, 600 - XSession::kTaskBarHeight);

    session.xdotool({"windowsize", "--sync", window, "900", "560"});
    session.xdotool({"windowmove", "--sync", window, "50", "200"});
    ASSERT_TRUE(
        XSession::waitUntil([&] { return drawnWindow(session, window).client.y() == 200; }));
    session.run("wmctrl", {"-i", "-c", window});
    ASSERT_TRUE(XSession::waitUntil([&] { return !session.isViewable(window); }));
    // A second launch asks the running one for its window, and ends.
    session.run(NIVELO_BINARY, {}, 15000);
    ASSERT_TRUE(XSession::waitUntil([&] { return session.isViewable(window); }, 8000));
    XSession::pause(500);

    const Drawn drawn = drawnWindow(session, window);
    std::cout << "settings window reopened at 1024 x 600: "
              << session.screenshot("main-window-reopened").toStdString() << std::endl;
    EXPECT_TRUE(visible.contains(drawn.frame))
        << drawn.frame.x() << "," << drawn.frame.y() << " " << drawn.frame.width() << "x"
        << drawn.frame.height();
    EXPECT_GE(drawn.client.height(), 500);
    EXPECT_EQ(drawn.client.width(), 900);
    std::optional<QRect> menuBar;
    EXPECT_TRUE(XSession::waitUntil(
        [&] {
            menuBar = menuBarOverAtspi(session, road.nivelo()->processId());
            return menuBar && menuBar->topLeft() == drawn.client.topLeft();
        },
        8000))
        << (menuBar ? menuBar->x() : -1) << "," << (menuBar ? menuBar->y() : -1);
}
