#include <gtest/gtest.h>

#include <QWidget>

#include "platform/KeyModifiers.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11EventMonitors.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

namespace {
struct MouseDownFixture : ::testing::Test {
    std::shared_ptr<X11Connection> connection = std::make_shared<X11Connection>();
    X11EventMonitors monitors{connection};
    QList<quint32> global;
    QList<MonitoredEventInfo> local;
    QString editor;
    QWidget own;

    void SetUp() override {
        editor = startTestEditor(x11Session().path("down.txt"), "Pressed Editor");
        ASSERT_FALSE(editor.isEmpty());
        own.setWindowTitle("Own Pressed Window");
        own.setGeometry(800, 400, 300, 200);
        own.show();
        ASSERT_FALSE(x11Session().waitForWindow("Own Pressed Window").isEmpty());
        const quint32 mask = MonitoredEvent::AnyMouseDown | MonitoredEvent::KeyDown;
        monitors.addGlobalEventMonitor(
            mask, [this](const MonitoredEventInfo& event) { global.append(event.kind); });
        monitors.addLocalEventMonitor(
            mask, [this](const MonitoredEventInfo& event) { local.append(event); });
    }
};
}  // namespace

TEST_F(MouseDownFixture, PressesInOtherApplicationsReachTheGlobalMonitorByButton) {
    x11Session().activate(editor);
    x11Session().xdotool({"mousemove", "--window", editor, "100", "100"});
    const struct {
        const char* button;
        quint32 kind;
    } cases[] = {{"1", MonitoredEvent::LeftMouseDown},
                 {"3", MonitoredEvent::RightMouseDown},
                 {"2", MonitoredEvent::OtherMouseDown}};
    for (const auto& c : cases) {
        global.clear();
        x11Session().xdotool({"click", c.button});
        EXPECT_TRUE(XSession::waitUntil([&] { return global.contains(c.kind); })) << c.button;
    }
    // The wheel is no press.
    global.clear();
    x11Session().xdotool({"click", "4"});
    pause(300);
    EXPECT_TRUE(global.isEmpty());
    EXPECT_TRUE(local.isEmpty());
}

TEST_F(MouseDownFixture, PressesInOurWindowsGoToTheLocalMonitorWithTheirWindowAndKey) {
    const QString ownId = x11Session().waitForWindow("Own Pressed Window");
    x11Session().activate(ownId);
    x11Session().xdotool({"mousemove", "--window", ownId, "50", "50", "click", "1"});
    ASSERT_TRUE(XSession::waitUntil(
        [&] { return !local.isEmpty() && local.last().kind == MonitoredEvent::LeftMouseDown; }));
    EXPECT_EQ(local.last().window, own.windowHandle());
    x11Session().xdotool({"key", "Escape"});
    ASSERT_TRUE(XSession::waitUntil([&] { return local.last().kind == MonitoredEvent::KeyDown; }));
    EXPECT_EQ(local.last().keyCode, KeyCode::Escape);
    pause(300);
    EXPECT_TRUE(global.isEmpty());
}
