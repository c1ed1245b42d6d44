#include <gtest/gtest.h>

#include <QLineEdit>

#include "clipboardwindow/ClipboardWindowFixture.h"
#include "platform/EventMonitors.h"
#include "platform/KeyModifiers.h"
#include "theme/CloseButton.h"

// The window's owner: its stored size, where it opens, every way it hides, and the paste back
// into the application (the very process) it was opened from.
namespace {

using ControllerTest = ClipboardWindowTest;

TEST_F(ControllerTest, TheStoredSizeIsUsedWithinItsLimits) {
    const std::tuple<double, double, QSize> cases[] = {{0, 0, QSize(380, 520)},
                                                       {300, 700, QSize(380, 520)},
                                                       {1000, 1000, QSize(760, 860)},
                                                       {500, 600, QSize(500, 600)}};
    for (const auto& [w, h, expected] : cases) {
        windowDefaults.setDouble(ClipboardPanelController::kWidthKey, w);
        windowDefaults.setDouble(ClipboardPanelController::kHeightKey, h);
        EXPECT_EQ(controller.savedPanelSize(), expected) << w << "x" << h;
    }
    controller.show();
    EXPECT_EQ(controller.panel()->size(), QSize(500, 600));
    // A resize is stored at once, never below the minimum.
    Q_EMIT controller.panel()->userResized(QSize(200, 300));
    EXPECT_EQ(windowDefaults.doubleValue(ClipboardPanelController::kWidthKey), 340);
    EXPECT_EQ(windowDefaults.doubleValue(ClipboardPanelController::kHeightKey), 380);
}

TEST_F(ControllerTest, OpensAtThePointerAndStaysThereWhenShownAgain) {
    SimulatedApp& editor = desktop.launch("org.xfce.mousepad");
    desktop.bringToFront(editor.pid);
    controller.show();
    ASSERT_TRUE(controller.isPanelVisible());
    // Top 18 px above the pointer, kept 16 px above the visible frame's bottom.
    EXPECT_EQ(controller.panel()->pos(), QPoint(514, 860 - 16 - 520));
    EXPECT_EQ(controller.pasteTargetProcessIdentifier(), editor.pid);
    EXPECT_NE(controller.panel()->kind(), PanelWindow::Kind::key);

    SimulatedApp& other = desktop.launch("org.other");
    desktop.bringToFront(other.pid);
    screens.pointerAt = QPoint(1590, 700);
    controller.show();
    EXPECT_EQ(controller.panel()->pos(), QPoint(514, 860 - 16 - 520));
    EXPECT_EQ(controller.pasteTargetBundleIdentifier(), "org.other");

    // Hidden, it opens at the pointer again, kept 16 px inside the visible frame.
    controller.hide();
    controller.show();
    EXPECT_EQ(controller.panel()->geometry().right() + 1, 1600 - 16);
}

TEST_F(ControllerTest, EveryWayOfHidingKeepsTheWindowAndItsState) {
    const QString work = addTab("Work", {"note"});
    QWidget otherWindow;
    otherWindow.show();
    const std::function<void()> hides[] = {
        [&] { monitors.emitLocal(MonitoredEvent::LeftMouseDown, otherWindow.windowHandle()); },
        [&] { monitors.emitLocal(MonitoredEvent::KeyDown, nullptr, KeyCode::Escape); },
        [&] { monitors.emitGlobal(MonitoredEvent::LeftMouseDown); },
        [&] { controller.view()->findChild<CloseButton*>()->click(); },
        [&] { controller.panel()->close(); },
        [&] { controller.toggle(); },
        [&] { controller.pasteFromHistory("x"); },
    };
    controller.show();
    controller.model()->selectTab(work);
    controller.model()->setSearchText("no");
    for (const auto& hide : hides) {
        controller.show();
        ASSERT_TRUE(controller.hasDismissMonitors());
        hide();
        settle();
        EXPECT_FALSE(controller.isPanelVisible());
        EXPECT_FALSE(controller.hasDismissMonitors());
        EXPECT_EQ(controller.model()->selectedTabID(), work);
        EXPECT_EQ(part<QLineEdit>(controller.view(), "search")->text(), "no");
    }
}

// Shown behind windows that cover it whole, the window comes forward on a toggle.
TEST_F(ControllerTest, ToggleShowsAWindowOtherWindowsCoverWhole) {
    controller.show();
    hints.covered = {controller.panel()->winId()};
    controller.toggle();
    EXPECT_TRUE(controller.isPanelVisible());
    EXPECT_TRUE(controller.hasDismissMonitors());
    hints.covered.clear();
    controller.toggle();
    EXPECT_FALSE(controller.isPanelVisible());
}

TEST_F(ControllerTest, PastesAfterAPauseIntoTheProcessItWasOpenedFrom) {
    controller.attach(&state);
    QList<ActionStatus> statuses;
    QObject::connect(&state, &NiveloAppState::statusChanged,
                     [&](const ActionStatus& status) { statuses.append(status); });
    // Two windows of one editor, each its own process.
    SimulatedApp& first = desktop.launch("org.xfce.mousepad");
    SimulatedApp& second = desktop.launch("org.xfce.mousepad");
    desktop.bringToFront(second.pid);
    controller.show();
    // Another application comes forward meanwhile: the window still pastes where it opened.
    desktop.bringToFront(first.pid);
    controller.pasteFromHistory("from history");
    EXPECT_FALSE(controller.isPanelVisible());
    desktop.clock.advance(119);
    EXPECT_TRUE(desktop.workspace.activations.isEmpty());
    desktop.clock.advance(1);
    EXPECT_EQ(desktop.workspace.activations.value(0).pid, second.pid);
    desktop.clock.advance(3000);
    EXPECT_EQ(second.pastedTexts, QStringList{"from history"});
    EXPECT_TRUE(first.pastedTexts.isEmpty());
    EXPECT_EQ(statuses.value(0), ActionStatus::done("Pasted"));

    // Its process gone, the entry goes to the application by its identifier.
    desktop.quit(second.pid);
    setLanguage(UiLanguage::ru);
    controller.pasteFromHistory("again");
    desktop.clock.advance(3000);
    EXPECT_EQ(first.pastedTexts, QStringList{"again"});
    EXPECT_EQ(statuses.value(2), ActionStatus::done("Вставлено"));
    // One reset after each, scheduled by the state.
    EXPECT_EQ(statuses.size(), 4);
}

TEST_F(ControllerTest, FailedPastesShowTheErrorAndWithoutAStateNothing) {
    controller.attach(&state);
    controller.pasteFromHistory("");
    desktop.clock.advance(200);
    EXPECT_EQ(state.status(), ActionStatus::failed("Nothing to paste."));
    controller.pasteFromHistory("text");
    desktop.clock.advance(200);
    EXPECT_EQ(state.status(), ActionStatus::failed("No app to paste into."));

    ClipboardPanelController detached{{desktop.clock, capture.focus, desktop.workspace,
                                       capture.pasteboard, desktop.pasteboard, capture.history,
                                       notes}};
    SimulatedApp& editor = desktop.launch("org.xfce.mousepad");
    desktop.bringToFront(editor.pid);
    desktop.clock.advance(2000);
    const ActionStatus before = state.status();
    detached.show();
    detached.pasteFromHistory("quiet");
    desktop.clock.advance(3000);
    EXPECT_EQ(editor.pastedTexts, QStringList{"quiet"});
    EXPECT_EQ(state.status(), before);
}

}  // namespace
