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
        capture.accessibilityText = "selected words";
    }

    void start(bool quickMenu = true, bool button = false) {
        state.edit().autoQuickMenuEnabled = quickMenu;
        state.edit().floatingButtonVisible = button;
        service.start(&state, &panels, &this->button);
        VirtualClock::flushEvents();
    }
    // The user lets go of a key or the mouse button in another application.
    void release(quint32 event) {
        monitors.emitGlobal(event);
        VirtualClock::flushEvents();
    }
    // A selection made by the mouse and the check 230 ms later.
    void select() {
        release(MonitoredEvent::LeftMouseUp);
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

TEST_F(SelectionTriggerTest, BurstOfReleasesAnywhereLeadsToOneCheckAfterTheLast) {
    start();
    start();  // the monitors are installed once
    EXPECT_EQ(monitors.localCount(), 1);
    EXPECT_EQ(monitors.globalCount(), 2);
    release(MonitoredEvent::KeyUp);
    clock.advance(200);
    release(MonitoredEvent::LeftMouseUp);
    clock.advance(200);
    monitors.emitLocal(MonitoredEvent::KeyUp);  // a release in our own window
    VirtualClock::flushEvents();
    clock.advance(229);
    EXPECT_EQ(capture.peekCalls, 0);
    clock.advance(1);
    EXPECT_EQ(capture.peekCalls, 1);
    EXPECT_EQ(capture.rememberCalls, 1);
    EXPECT_EQ(panelShows(), 1);
}

TEST_F(SelectionTriggerTest, BothSettingsOffNeverReadsAndHidesTheButton) {
    start(false, false);
    EXPECT_EQ(button.hides, 1);  // the current settings
    select();
    release(MonitoredEvent::KeyUp);
    clock.advance(1000);
    EXPECT_EQ(capture.peekCalls, 0);
    EXPECT_EQ(capture.copyReads, 0);
    EXPECT_EQ(button.shows, 0);
    EXPECT_EQ(button.hides, 3);
    EXPECT_EQ(clock.pendingCount(), 0u);
}

TEST_F(SelectionTriggerTest, QuickMenuWinsOverTheButtonOncePerSecondPerSelection) {
    start(true, true);
    button.visible = true;
    select();
    EXPECT_EQ(panelShows(), 1);
    EXPECT_FALSE(button.visible);
    panels.quickVisible = false;  // the user closed it
    clock.advance(700);
    select();  // 930 ms after the first
    EXPECT_EQ(panelShows(), 1);
    clock.advance(70);
    select();  // 1230 ms after the first
    EXPECT_EQ(panelShows(), 2);

    panels.quickVisible = false;
    workspace.frontmost = kChat;
    capture.frontmostPid = kChat.processIdentifier;
    select();  // the same text in another application acts at once
    EXPECT_EQ(panelShows(), 3);
    EXPECT_EQ(button.shows, 0);
}

TEST_F(SelectionTriggerTest, BlankSelectionHidesTheButtonAndForgetsTheLastOne) {
    start(false, true);
    select();  // the button alone is shown
    EXPECT_TRUE(button.visible);
    EXPECT_EQ(button.shows, 1);
    EXPECT_EQ(panelShows(), 0);
    capture.accessibilityText = " \n ";
    capture.copiedText = "\n";
    select();
    EXPECT_FALSE(button.visible);
    capture.accessibilityText = "selected words";
    select();  // within a second of the first, but the blank one came between
    EXPECT_TRUE(button.visible);
    EXPECT_EQ(button.shows, 2);

    // Turning both off hides the shown button at once.
    state.change([](NiveloSettings& s) { s.floatingButtonVisible = false; });
    VirtualClock::flushEvents();
    EXPECT_FALSE(button.visible);
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

TEST_F(SelectionTriggerTest, CheckArmedBeforeSettingsWentOffShowsNothing) {
    start();
    release(MonitoredEvent::LeftMouseUp);
    state.change([](NiveloSettings& s) { s.autoQuickMenuEnabled = false; });
    clock.advance(230);
    EXPECT_EQ(capture.peekCalls, 0);
    EXPECT_EQ(panelShows(), 0);
}
