#include <gtest/gtest.h>

#include "Fakes.h"
#include "capture/FocusService.h"
#include "capture/PasteboardService.h"
#include "capture/SelectionTriggerService.h"
#include "clipboard/ClipboardHistoryService.h"
#include "platform/MemoryDefaults.h"
#include "support/SimulatedDesktop.h"
#include "support/SimulatedEventMonitors.h"

namespace {
// Key events posted to the desktop that the global monitors see as well, as X11's raw events
// show the XTest keys of any client, ours included.
class EchoingKeyEvents : public KeyEvents {
public:
    EchoingKeyEvents(SimulatedKeyEvents& keys, SimulatedEventMonitors& monitors, Clock& clock)
        : keys_(keys), monitors_(monitors), clock_(clock) {}

    bool canPostEvents() const override { return keys_.canPostEvents(); }
    bool postKey(quint16 keyCode, KeyModifiers modifiers, bool down) override {
        const bool posted = keys_.postKey(keyCode, modifiers, down);
        if (posted && !down) {
            // The event reaches us a moment later.
            clock_.callAfter(echoDelayMs, [this] { monitors_.emitGlobal(MonitoredEvent::KeyUp); });
        }
        return posted;
    }
    KeyModifiers heldModifiers() const override { return keys_.heldModifiers(); }

    qint64 echoDelayMs = 3;

private:
    SimulatedKeyEvents& keys_;
    SimulatedEventMonitors& monitors_;
    Clock& clock_;
};
}  // namespace

// The floating-button mode over an editor without accessibility text: every check copies.
class OwnKeysTriggerTest : public ::testing::TestWithParam<qint64> {
protected:
    void SetUp() override {
        keys.echoDelayMs = GetParam();
        state.edit().floatingButtonVisible = true;
        desktop.pasteboard.setPlainText(QStringLiteral("user clipboard"));
        editor.setText(QStringLiteral("Hello world"), 6, 5);
        editor.focused = nullptr;
        desktop.bringToFront(editor.pid);
        VirtualClock::flushEvents();
        trigger.start(&state, &panels, &button);
        VirtualClock::flushEvents();
    }

    SimulatedDesktop desktop;
    SimulatedEventMonitors monitors;
    EchoingKeyEvents keys{desktop.keys, monitors, desktop.clock};
    MemoryDefaults historyStore;
    ClipboardHistoryService history{desktop.pasteboard, desktop.clock, historyStore};
    FocusService focus{desktop.workspace, desktop.accessibility};
    PasteboardService pasteboard{{desktop.clock, desktop.pasteboard, keys, desktop.workspace,
                                  desktop.accessibility, focus, history}};
    FocusedSelectionCapture capture{focus, pasteboard};
    FakeAppState state;
    FakePanels panels;
    FakeFloatingButton button;
    SelectionTriggerService trigger{{desktop.clock, monitors, desktop.workspace, capture}};
    SimulatedApp& editor = desktop.launch(QStringLiteral("org.example.editor"));
};

TEST_P(OwnKeysTriggerTest, OneKeyReleaseOfTheUserLeadsToOneRead) {
    monitors.emitGlobal(MonitoredEvent::KeyUp);
    VirtualClock::flushEvents();
    desktop.clock.advance(6000);
    EXPECT_EQ(editor.copyCount, 1);
    EXPECT_EQ(button.shows, 1);
    EXPECT_EQ(desktop.pasteboard.plainText(), "user clipboard");

    // The user's next release, after the settle time, is the user's again.
    editor.setText(QStringLiteral("Hello again"), 0, 5);
    monitors.emitGlobal(MonitoredEvent::KeyUp);
    VirtualClock::flushEvents();
    desktop.clock.advance(6000);
    EXPECT_EQ(editor.copyCount, 2);
}

// Our own key-up reaching the monitors during the read, and late, just after it ended.
INSTANTIATE_TEST_SUITE_P(EchoDelays, OwnKeysTriggerTest, ::testing::Values(3, 250));
