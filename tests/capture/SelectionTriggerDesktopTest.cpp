#include <gtest/gtest.h>

#include "Fakes.h"
#include "capture/SelectionTriggerService.h"
#include "support/CaptureServices.h"
#include "support/SimulatedDesktop.h"
#include "support/SimulatedEventMonitors.h"

// The trigger with the real focus memory and pasteboard service on a simulated desktop.
class SelectionTriggerDesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.edit().autoQuickMenuEnabled = true;
        desktop.pasteboard.setPlainText(QStringLiteral("user clipboard"));
        editor.setText(QStringLiteral("Hello world"), 6, 5);
        desktop.bringToFront(editor.pid);
        VirtualClock::flushEvents();
        trigger.start(&state, &panels, &button);
        VirtualClock::flushEvents();
    }

    void selectWithMouse() {
        monitors.emitGlobal(MonitoredEvent::LeftMouseUp);
        VirtualClock::flushEvents();
        desktop.clock.advance(5000);
    }

    SimulatedDesktop desktop;
    CaptureServices captureServices{desktop};
    SimulatedEventMonitors monitors;
    FakeAppState state;
    FakePanels panels;
    FakeFloatingButton button;
    SelectionTriggerService trigger{
        {desktop.clock, monitors, desktop.workspace, captureServices.capture}};
    SimulatedApp& editor = desktop.launch(QStringLiteral("org.example.editor"));
};

TEST_F(SelectionTriggerDesktopTest, ReadsTheAccessibilitySelectionElseCopiesAndRestores) {
    selectWithMouse();
    EXPECT_EQ(panels.log, (QStringList{"quick.show"}));
    EXPECT_EQ(editor.copyCount, 0);

    panels.quickVisible = false;
    editor.focused = nullptr;  // no accessibility: a transient copy
    selectWithMouse();
    EXPECT_EQ(panels.log, (QStringList{"quick.show", "quick.show"}));
    EXPECT_EQ(editor.copyCount, 1);
    EXPECT_EQ(editor.selectAllCount, 0);
    EXPECT_EQ(desktop.pasteboard.plainText(), "user clipboard");
    EXPECT_TRUE(captureServices.history.items().isEmpty());  // the transient copy is not recorded
}
