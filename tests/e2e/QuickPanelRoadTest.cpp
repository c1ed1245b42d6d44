#include <gtest/gtest.h>

#include <QPoint>
#include <QRect>
#include <iostream>

#include "E2eRoadOptions.h"

// The quick-action panel of the real binary over a selection in mousepad: it opens by its hot
// key next to the pointer without taking the focus, and its "Fix" row rewrites the selection.
TEST(QuickPanelRoad, OpensByItsHotKeyNearThePointerAndFixesOnlyTheSelection) {
    NiveloRoad::Options options = e2eRoadOptions();
    options.defaults = {{"nivelo.autoSelectAllBeforeAction", "false"}};
    NiveloRoad road(options);
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();

    const QString editor = session.startAndActivate("mousepad", "mousepad", true);
    ASSERT_FALSE(editor.isEmpty());
    XSession::pause(500);
    session.type("keep this. fix me");
    session.key("ctrl+shift+Left");
    session.key("ctrl+shift+Left");
    XSession::pause(300);

    const QPoint pointer(400, 120);
    session.xdotool({"mousemove", QString::number(pointer.x()), QString::number(pointer.y())});
    road.pressAltHotKey("q");
    QString panel;
    ASSERT_TRUE(XSession::waitUntil([&] {
        return !(panel = session.visibleWindowOfInstance()).isEmpty();
    })) << road.diagnostics("quick-panel-open").toStdString();
    const QRect g = session.windowGeometry(panel);
    EXPECT_EQ(g.left(), pointer.x() + 14);
    EXPECT_EQ(g.top(), pointer.y() - 18);
    EXPECT_EQ(session.xdotool({"getactivewindow"}).trimmed(), editor);
    std::cout << "Quick panel screenshot: " << session.screenshot("quick-panel").toStdString()
              << std::endl;

    // Escape goes to mousepad, not to us: the panel stays.
    session.key("Escape");
    XSession::pause(400);
    EXPECT_EQ(session.visibleWindowOfInstance(), panel);

    // The third row is "Fix": header, then rows 36 px high, 7 px apart.
    const QPoint fixRow(g.left() + 100, g.top() + 14 + 24 + 8 + 2 * 43 + 18);
    session.xdotool(
        {"mousemove", QString::number(fixRow.x()), QString::number(fixRow.y()), "click", "1"});
    ASSERT_TRUE(XSession::waitUntil([&] { return session.visibleWindowOfInstance().isEmpty(); }));
    const bool fixed = XSession::waitUntil([&] {
        session.key("ctrl+a");
        session.key("ctrl+c");
        return session.clipboardText() == "keep this. FIX ME";
    });
    EXPECT_TRUE(fixed) << session.clipboardText().toStdString();
    EXPECT_EQ(session.xdotool({"getactivewindow"}).trimmed(), editor);

    // A click in mousepad closes it.
    session.key("End");
    session.xdotool({"mousemove", "300", "200"});
    road.pressAltHotKey("q");
    ASSERT_TRUE(XSession::waitUntil([&] { return !session.visibleWindowOfInstance().isEmpty(); }));
    session.xdotool({"click", "1"});
    EXPECT_TRUE(XSession::waitUntil([&] { return session.visibleWindowOfInstance().isEmpty(); }));
}

// With no settings window, Command+Shift+Space typed into the assistant toggles the quick
// panel: the command works in whichever of our windows is active.
TEST(QuickPanelRoad, ItsCommandKeyTogglesItFromTheAssistantWithoutTheSettingsWindow) {
    NiveloRoad road(e2eRoadOptions());
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    const QString editor = session.startAndActivate("mousepad", "mousepad", true);
    ASSERT_FALSE(editor.isEmpty());
    XSession::pause(500);
    session.xdotool({"mousemove", "300", "160"});
    road.pressAltHotKey("i");
    QString assistant;
    ASSERT_TRUE(XSession::waitUntil([&] {
        assistant = session.visibleWindowOfInstance();
        return !assistant.isEmpty() && session.xdotool({"getactivewindow"}).trimmed() == assistant;
    })) << road.diagnostics("assistant-open").toStdString();
    const auto shownWindows = [&] {
        return session.xdotool({"search", "--onlyvisible", "--classname", "^nivelo$"})
            .split('\n', Qt::SkipEmptyParts)
            .size();
    };
    ASSERT_EQ(shownWindows(), 1);

    road.pressKeys({"Super_L", "Shift_L", "space"});
    EXPECT_TRUE(XSession::waitUntil([&] { return shownWindows() == 2; }))
        << road.diagnostics("quick-panel-by-command").toStdString();
    std::cout << "Quick panel over the assistant: "
              << session.screenshot("quick-panel-command").toStdString() << std::endl;
    EXPECT_EQ(session.xdotool({"getactivewindow"}).trimmed(), assistant);
    road.pressKeys({"Super_L", "Shift_L", "space"});
    EXPECT_TRUE(XSession::waitUntil([&] { return shownWindows() == 1; }));
}
