#include <gtest/gtest.h>

#include <QWidget>

#include "platform/KeyModifiers.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11EventMonitors.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

namespace {
struct MonitorsFixture : ::testing::Test {
    std::shared_ptr<X11Connection> connection = std::make_shared<X11Connection>();
    X11EventMonitors monitors{connection};
    QList<quint32> global;
    QList<MonitoredEventInfo> local;
    QString editor;
    QWidget own;

    void SetUp() override {
        editor = startTestEditor(x11Session().path("mon.txt"), "Monitored Editor");
        ASSERT_FALSE(editor.isEmpty());
        own.setWindowTitle("Own Window");
        own.setGeometry(800, 400, 300, 200);
        own.show();
        ASSERT_FALSE(x11Session().waitForWindow("Own Window").isEmpty());
        const quint32 mask = MonitoredEvent::LeftMouseUp | MonitoredEvent::KeyUp |
                             MonitoredEvent::AnyMouseDown | MonitoredEvent::KeyDown;
        monitors.addGlobalEventMonitor(
            mask, [this](const MonitoredEventInfo& event) { global.append(event.kind); });
        monitors.addLocalEventMonitor(
            mask, [this](const MonitoredEventInfo& event) { local.append(event); });
    }
    bool heardLocally(quint32 kind) const {
        return std::any_of(local.begin(), local.end(),
                           [&](const auto& e) { return e.kind == kind; });
    }
};
}  // namespace

// Keys and buttons in another application reach the global monitors, each press by its button;
// the wheel is no press and the right button no left mouse-up.
TEST_F(MonitorsFixture, GlobalMonitorsSeeOtherApplicationsOnly) {
    x11Session().activate(editor);
    x11Session().xdotool({"key", "b"});
    ASSERT_TRUE(XSession::waitUntil([&] { return global.contains(MonitoredEvent::KeyUp); }));
    EXPECT_TRUE(global.contains(MonitoredEvent::KeyDown));
    x11Session().xdotool({"mousemove", "--window", editor, "100", "100"});
    const struct {
        const char* button;
        quint32 kind;
    } cases[] = {{"1", MonitoredEvent::LeftMouseDown},
                 {"3", MonitoredEvent::RightMouseDown},
                 {"2", MonitoredEvent::OtherMouseDown}};
    // A key after the click: once its release is heard, everything of the click is in.
    const auto clickThenKey = [&](const char* button) {
        global.clear();
        x11Session().xdotool({"click", button});
        x11Session().xdotool({"key", "b"});
        return XSession::waitUntil([&] { return global.contains(MonitoredEvent::KeyUp); });
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(clickThenKey(c.button)) << c.button;
        EXPECT_TRUE(global.contains(c.kind)) << c.button;
        EXPECT_EQ(global.contains(MonitoredEvent::LeftMouseUp),
                  c.kind == MonitoredEvent::LeftMouseDown);
    }
    ASSERT_TRUE(clickThenKey("4"));
    EXPECT_EQ(global, (QList<quint32>{MonitoredEvent::KeyDown, MonitoredEvent::KeyUp}));
    EXPECT_TRUE(local.isEmpty());
}

// In our own windows the local monitors hear them instead, with their window and key.
TEST_F(MonitorsFixture, OurOwnWindowsGoToTheLocalMonitorsInstead) {
    const QString ownId = x11Session().waitForWindow("Own Window");
    x11Session().activate(ownId);
    x11Session().xdotool({"mousemove", "--window", ownId, "50", "50", "click", "1"});
    ASSERT_TRUE(XSession::waitUntil([&] { return heardLocally(MonitoredEvent::LeftMouseUp); }));
    ASSERT_TRUE(heardLocally(MonitoredEvent::LeftMouseDown));
    EXPECT_EQ(local.first().window, own.windowHandle());
    x11Session().xdotool({"key", "Escape"});
    ASSERT_TRUE(XSession::waitUntil([&] { return heardLocally(MonitoredEvent::KeyUp); }));
    const auto down = std::find_if(local.begin(), local.end(),
                                   [](const auto& e) { return e.kind == MonitoredEvent::KeyDown; });
    ASSERT_NE(down, local.end());
    EXPECT_EQ(down->keyCode, KeyCode::Escape);
    pause(300);
    EXPECT_TRUE(global.isEmpty());
}

TEST_F(MonitorsFixture, RemovedMonitorsHearNothing) {
    X11EventMonitors other{connection};
    QList<quint32> heard;
    const auto id =
        other.addGlobalMonitor(MonitoredEvent::KeyUp, [&](quint32 kind) { heard.append(kind); });
    other.removeMonitor(id);
    x11Session().activate(editor);
    x11Session().xdotool({"key", "b"});
    ASSERT_TRUE(XSession::waitUntil([&] { return global.contains(MonitoredEvent::KeyUp); }));
    EXPECT_TRUE(heard.isEmpty());
}
