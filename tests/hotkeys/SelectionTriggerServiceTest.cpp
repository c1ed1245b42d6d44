#include <gtest/gtest.h>

#include "Fakes.h"
#include "capture/SelectionTriggerService.h"
#include "support/SimulatedEventMonitors.h"
#include "support/VirtualClock.h"

namespace {

const RunningApplication kEditor{10, "org.xfce.mousepad", "Mousepad", {}};
const RunningApplication kChat{11, "org.telegram.desktop", "Telegram", {}};

class SelectionTriggerTest : public ::testing::Test {
protected:
    SelectionTriggerTest() {
        workspace.frontmost = kEditor;
        capture.frontmostPid = kEditor.processIdentifier;
        state.edit().autoQuickMenuEnabled = true;
        capture.accessibilityText = "selected words";
    }

    void start() {
        service.start(&state, &panels, &button);
        VirtualClock::flushEvents();
    }

    // The user lets go of a key in another application.
    void keyUp() {
        monitors.emitGlobal(MonitoredEvent::KeyUp);
        VirtualClock::flushEvents();
    }
    void mouseUp() {
        monitors.emitGlobal(MonitoredEvent::LeftMouseUp);
        VirtualClock::flushEvents();
    }
    // A selection made by the mouse and the check 230 ms later.
    void select() {
        mouseUp();
        clock.advance(230);
    }
    int panelShows() const { return int(panels.log.count("quick.show")); }

    VirtualClock clock;
    SimulatedEventMonitors monitors;
    FakeWorkspace workspace;
    FakeSelectionCapture capture;
    FakeAppState state;
    FakePanels panels;
    FakeFloatingButton button;
    SelectionTriggerService service{{clock, monitors, workspace, capture}};
};

}  // namespace

TEST_F(SelectionTriggerTest, InstallsItsMonitorsOnce) {
    start();
    service.start(&state, &panels, &button);
    EXPECT_EQ(monitors.localCount(), 1);
    EXPECT_EQ(monitors.globalCount(), 2);
    monitors.emitLocal(MonitoredEvent::KeyUp);  // a release in our own window
    VirtualClock::flushEvents();
    clock.advance(230);
    EXPECT_EQ(panelShows(), 1);
}

TEST_F(SelectionTriggerTest, BurstOfReleasesLeadsToOneCheckAfterTheLast) {
    start();
    keyUp();
    clock.advance(200);
    keyUp();
    clock.advance(200);
    mouseUp();
    clock.advance(229);
    EXPECT_EQ(capture.peekCalls, 0);
    clock.advance(1);
    EXPECT_EQ(capture.peekCalls, 1);
    EXPECT_EQ(capture.rememberCalls, 1);
    EXPECT_EQ(panelShows(), 1);
}

TEST_F(SelectionTriggerTest, BothSettingsOffNeverReadsAndHidesTheButton) {
    state.edit().autoQuickMenuEnabled = false;
    start();
    EXPECT_EQ(button.hides, 1);  // the current settings
    select();
    keyUp();
    clock.advance(1000);
    EXPECT_EQ(capture.peekCalls, 0);
    EXPECT_EQ(capture.copyReads, 0);
    EXPECT_EQ(button.shows, 0);
    EXPECT_EQ(button.hides, 3);
    EXPECT_EQ(clock.pendingCount(), 0u);
}

TEST_F(SelectionTriggerTest, SameSelectionActsOncePerSecond) {
    start();
    select();
    EXPECT_EQ(panelShows(), 1);
    panels.quickVisible = false;  // the user closed it
    clock.advance(700);
    select();  // 930 ms after the first
    EXPECT_EQ(panelShows(), 1);
    clock.advance(70);
    select();  // 1230 ms after the first
    EXPECT_EQ(panelShows(), 2);
}

TEST_F(SelectionTriggerTest, SameTextInAnotherApplicationActsAtOnce) {
    start();
    select();
    panels.quickVisible = false;
    workspace.frontmost = kChat;
    capture.frontmostPid = kChat.processIdentifier;
    select();
    EXPECT_EQ(panelShows(), 2);
}

TEST_F(SelectionTriggerTest, BlankSelectionHidesTheButtonAndForgetsTheLastOne) {
    state.edit().autoQuickMenuEnabled = false;
    state.edit().floatingButtonVisible = true;
    start();
    select();
    EXPECT_TRUE(button.visible);
    capture.accessibilityText = " \n ";
    capture.copiedText = "\n";
    select();
    EXPECT_FALSE(button.visible);
    capture.accessibilityText = "selected words";
    select();  // within a second of the first, but the blank one came between
    EXPECT_TRUE(button.visible);
    EXPECT_EQ(button.shows, 2);
}

TEST_F(SelectionTriggerTest, WithoutAccessibilityTextItCopiesWithStandardTiming) {
    capture.accessibilityText = "";
    capture.copiedText = "  copied words ";
    start();
    select();
    EXPECT_EQ(capture.copyReads, 1);
    EXPECT_FALSE(capture.lastSelectAll);
    EXPECT_FALSE(capture.lastFallback);
    EXPECT_EQ(capture.lastTiming, PasteboardTiming::standard());
    EXPECT_EQ(panelShows(), 1);

    panels.quickVisible = false;
    capture.copyFails = true;
    clock.advance(2000);
    select();
    EXPECT_EQ(panelShows(), 1);
    EXPECT_GE(button.hides, 1);
}

TEST_F(SelectionTriggerTest, VisiblePanelOrOwnWindowIgnoresSelections) {
    start();
    panels.quickVisible = true;
    select();
    EXPECT_EQ(capture.peekCalls, 0);
    EXPECT_EQ(capture.rememberCalls, 0);

    panels.quickVisible = false;
    workspace.frontmost = RunningApplication{1000, "", "nivelo", {}};  // this process
    select();
    workspace.frontmost = RunningApplication{77, "ai.nivelo.desktop", "NiveloAI", {}};
    select();
    EXPECT_EQ(capture.peekCalls, 0);
    EXPECT_TRUE(service.isNiveloFrontmost());
    workspace.frontmost.reset();
    EXPECT_FALSE(service.isNiveloFrontmost());
}

TEST_F(SelectionTriggerTest, QuickMenuWinsOverTheButton) {
    state.edit().floatingButtonVisible = true;
    start();
    button.visible = true;
    select();
    EXPECT_EQ(panelShows(), 1);
    EXPECT_FALSE(button.visible);
    EXPECT_EQ(button.shows, 0);
}

TEST_F(SelectionTriggerTest, ButtonAloneIsShownNearTheSelection) {
    state.edit().autoQuickMenuEnabled = false;
    state.edit().floatingButtonVisible = true;
    start();
    select();
    EXPECT_EQ(button.shows, 1);
    EXPECT_EQ(panelShows(), 0);
}

TEST_F(SelectionTriggerTest, TurningBothOffHidesTheShownButtonAtOnce) {
    state.edit().autoQuickMenuEnabled = false;
    state.edit().floatingButtonVisible = true;
    start();
    select();
    ASSERT_TRUE(button.visible);
    state.change([](NiveloSettings& s) { s.floatingButtonVisible = false; });
    VirtualClock::flushEvents();
    EXPECT_FALSE(button.visible);
}

TEST_F(SelectionTriggerTest, CheckArmedBeforeSettingsWentOffShowsNothing) {
    start();
    mouseUp();
    state.change([](NiveloSettings& s) { s.autoQuickMenuEnabled = false; });
    clock.advance(230);
    EXPECT_EQ(capture.peekCalls, 0);
    EXPECT_EQ(panelShows(), 0);
}
