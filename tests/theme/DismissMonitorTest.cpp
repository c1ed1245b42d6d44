#include <gtest/gtest.h>

#include <QWidget>
#include <QWindow>
#include <memory>

#include "platform/KeyModifiers.h"
#include "support/SimulatedEventMonitors.h"
#include "support/VirtualClock.h"
#include "theme/FloatingPanelDismissMonitor.h"

namespace {

enum class Where { otherApp, panel, popup, otherOwnWindow };

struct DismissFixture : ::testing::Test {
    SimulatedEventMonitors monitors;
    std::unique_ptr<QWidget> panel = std::make_unique<QWidget>(nullptr, Qt::Tool);
    QWidget* popup = new QWidget(panel.get(), Qt::Popup);
    QWidget other;
    int dismissed = 0;
    std::unique_ptr<FloatingPanelDismissMonitor> monitor =
        std::make_unique<FloatingPanelDismissMonitor>(panel.get(), monitors,
                                                      [this] { ++dismissed; });

    void SetUp() override {
        panel->setGeometry(100, 100, 200, 200);
        other.setGeometry(400, 100, 200, 200);
        other.show();
        panel->show();
        popup->setGeometry(120, 120, 80, 80);
        popup->show();
        popup->hide();
    }

    void send(Where where, quint32 kind, int keyCode = -1) {
        switch (where) {
            case Where::otherApp:
                monitors.emitGlobal(kind);
                break;
            case Where::panel:
                monitors.emitLocal(kind, panel->windowHandle(), keyCode);
                break;
            case Where::popup:
                monitors.emitLocal(kind, popup->windowHandle(), keyCode);
                break;
            case Where::otherOwnWindow:
                monitors.emitLocal(kind, other.windowHandle(), keyCode);
                break;
        }
    }
};

}  // namespace

TEST_F(DismissFixture, EscapeOrAPressOutsideThePanelDismissesIt) {
    using namespace MonitoredEvent;
    const struct {
        const char* name;
        bool visible;
        Where where;
        quint32 kind;
        int keyCode;
        bool dismisses;
    } cases[] = {
        {"escape in another window of ours", true, Where::otherOwnWindow, KeyDown, KeyCode::Escape,
         true},
        {"escape in the panel", true, Where::panel, KeyDown, KeyCode::Escape, true},
        {"typing in the panel", true, Where::panel, KeyDown, KeyCode::A, false},
        {"typing elsewhere in the app", true, Where::otherOwnWindow, KeyDown, KeyCode::A, false},
        {"left click in another app", true, Where::otherApp, LeftMouseDown, -1, true},
        {"right click in another app", true, Where::otherApp, RightMouseDown, -1, true},
        {"middle click in another app", true, Where::otherApp, OtherMouseDown, -1, true},
        {"click in another app, panel hidden", false, Where::otherApp, LeftMouseDown, -1, false},
        {"escape, panel hidden", false, Where::otherOwnWindow, KeyDown, KeyCode::Escape, false},
        {"click in another window of ours", true, Where::otherOwnWindow, LeftMouseDown, -1, true},
        {"right click in another window of ours", true, Where::otherOwnWindow, RightMouseDown, -1,
         true},
        {"click in the panel", true, Where::panel, LeftMouseDown, -1, false},
        {"click in the panel's popup", true, Where::popup, LeftMouseDown, -1, false},
        // Releases are not watched.
        {"mouse-up in another window of ours", true, Where::otherOwnWindow, LeftMouseUp, -1, false},
    };
    for (const auto& c : cases) {
        dismissed = 0;
        panel->setVisible(c.visible);
        monitor->install();
        send(c.where, c.kind, c.keyCode);
        // The decision comes a turn later; the event itself goes on at once.
        EXPECT_EQ(dismissed, 0) << c.name;
        VirtualClock::flushEvents();
        EXPECT_EQ(dismissed, c.dismisses ? 1 : 0) << c.name;
    }
}

TEST_F(DismissFixture, InstallingTwiceThenRemovingOnceLeavesNoMonitor) {
    monitor->install();
    monitor->install();
    EXPECT_EQ(monitors.globalCount(), 1);
    EXPECT_EQ(monitors.localCount(), 1);
    monitor->remove();
    EXPECT_EQ(monitors.globalCount() + monitors.localCount(), 0);
    monitor->remove();
    EXPECT_FALSE(monitor->isInstalled());
}

TEST_F(DismissFixture, GoingAwayRemovesTheMonitorsAndDropsPendingDecisions) {
    monitor->install();
    monitors.emitGlobal(MonitoredEvent::LeftMouseDown);
    monitor.reset();
    EXPECT_EQ(monitors.globalCount() + monitors.localCount(), 0);
    VirtualClock::flushEvents();
    EXPECT_EQ(dismissed, 0);
    // A panel that went away is never dismissed.
    FloatingPanelDismissMonitor orphan(panel.get(), monitors, [this] { ++dismissed; });
    orphan.install();
    panel.reset();
    monitors.emitGlobal(MonitoredEvent::LeftMouseDown);
    VirtualClock::flushEvents();
    EXPECT_EQ(dismissed, 0);
}
