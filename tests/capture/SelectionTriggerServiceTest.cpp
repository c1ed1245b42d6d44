#include <gtest/gtest.h>

#include "Fakes.h"
#include "capture/SelectionTriggerService.h"
#include "support/SimulatedEventMonitors.h"
#include "support/VirtualClock.h"

namespace {

const RunningApplication kEditor{10, "org.xfce.mousepad", "Mousepad", {}};

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
    // A selection made by the mouse in another application and the check 230 ms later.
    void select() {
        monitors.emitGlobal(MonitoredEvent::LeftMouseUp);
        VirtualClock::flushEvents();
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

// Releases anywhere, ours included, lead to one check 230 ms after the last.
TEST_F(SelectionTriggerTest, BurstOfReleasesLeadsToOneCheckAfterTheLast) {
    start();
    start();
    EXPECT_EQ(monitors.localCount(), 1);
    EXPECT_EQ(monitors.globalCount(), 2);
    monitors.emitGlobal(MonitoredEvent::KeyUp);
    clock.advance(200);
    monitors.emitLocal(MonitoredEvent::KeyUp);
    VirtualClock::flushEvents();
    clock.advance(229);
    EXPECT_EQ(capture.peekCalls, 0);
    clock.advance(1);
    EXPECT_EQ(capture.peekCalls, 1);
    EXPECT_EQ(panelShows(), 1);

    // A check armed before both settings went off shows nothing, and none is armed after.
    panels.quickVisible = false;
    monitors.emitGlobal(MonitoredEvent::LeftMouseUp);
    state.change([](NiveloSettings& s) { s.autoQuickMenuEnabled = false; });
    VirtualClock::flushEvents();
    clock.advance(230);
    select();
    EXPECT_EQ(capture.peekCalls, 1);
    EXPECT_EQ(clock.pendingCount(), 0u);
}

// The same selection again acts only a second after the first, unless a blank one came
// between or it is in another application.
TEST_F(SelectionTriggerTest, QuickMenuWinsOverTheButtonOncePerSecondPerSelection) {
    start(true, true);
    button.visible = true;
    select();
    EXPECT_FALSE(button.visible);
    panels.quickVisible = false;
    clock.advance(700);
    select();  // 930 ms after the first
    EXPECT_EQ(panelShows(), 1);
    clock.advance(70);
    select();
    EXPECT_EQ(panelShows(), 2);
    panels.quickVisible = false;
    capture.frontmostPid = 11;
    select();
    EXPECT_EQ(panelShows(), 3);
    EXPECT_EQ(button.shows, 0);
}

// Without accessibility text it copies with standard timing; a blank or failed read hides the
// button and forgets the last selection; the button goes with its setting; a visible panel or
// our own window is ignored.
TEST_F(SelectionTriggerTest, TheButtonAloneFollowsTheSelectionAndTheSetting) {
    start(false, true);
    capture.accessibilityText = "";
    for (const char* copied :
         std::initializer_list<const char*>{"  copied ", "\n", "  copied ", nullptr}) {
        capture.copiedText = QString::fromUtf8(copied);
        capture.copyFails = !copied;
        select();
        EXPECT_EQ(button.visible, copied && *copied != '\n');
    }
    EXPECT_EQ(button.shows, 2);
    EXPECT_EQ(panelShows(), 0);
    EXPECT_FALSE(capture.lastSelectAll || capture.lastFallback);
    EXPECT_EQ(capture.lastTiming, PasteboardTiming::standard());
    button.visible = true;
    state.change([](NiveloSettings& s) { s.floatingButtonVisible = false; });
    VirtualClock::flushEvents();
    EXPECT_FALSE(button.visible);

    state.change([](NiveloSettings& s) { s.autoQuickMenuEnabled = true; });
    panels.quickVisible = true;
    const int reads = capture.rememberCalls + capture.peekCalls;
    select();
    panels.quickVisible = false;
    for (const RunningApplication& own : {RunningApplication{1000, "", "nivelo", {}},
                                          RunningApplication{77, "ai.nivelo.desktop", "", {}}}) {
        workspace.frontmost = own;
        select();
        EXPECT_TRUE(service.isNiveloFrontmost());
    }
    EXPECT_EQ(capture.rememberCalls + capture.peekCalls, reads);
}
