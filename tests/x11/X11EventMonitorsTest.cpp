#include <gtest/gtest.h>

#include <QWidget>

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11EventMonitors.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

namespace {
struct MonitorsFixture : ::testing::Test {
    std::shared_ptr<X11Connection> connection = std::make_shared<X11Connection>();
    X11EventMonitors monitors{connection};
    QList<quint32> global;
    QList<quint32> local;
    QString editor;
    QWidget own;

    void SetUp() override {
        editor = startTestEditor(x11Session().path("mon.txt"), "Monitored Editor");
        ASSERT_FALSE(editor.isEmpty());
        own.setWindowTitle("Own Window");
        own.setGeometry(800, 400, 300, 200);
        own.show();
        ASSERT_FALSE(x11Session().waitForWindow("Own Window").isEmpty());
        monitors.addGlobalMonitor(MonitoredEvent::LeftMouseUp | MonitoredEvent::KeyUp,
                                  [this](quint32 kind) { global.append(kind); });
        monitors.addLocalMonitor(MonitoredEvent::LeftMouseUp | MonitoredEvent::KeyUp,
                                 [this](quint32 kind) { local.append(kind); });
    }
    void settle() {
        XSession::waitUntil([] { return false; }, 300);
    }
};
}  // namespace

TEST_F(MonitorsFixture, GlobalMonitorsSeeOtherApplicationsOnly) {
    x11Session().activate(editor);
    x11Session().xdotool({"key", "b"});
    ASSERT_TRUE(XSession::waitUntil([&] { return global.contains(MonitoredEvent::KeyUp); }));
    EXPECT_TRUE(local.isEmpty());

    x11Session().xdotool({"mousemove", "--window", editor, "100", "100", "click", "1"});
    ASSERT_TRUE(XSession::waitUntil([&] { return global.contains(MonitoredEvent::LeftMouseUp); }));
    // The right button is no left mouse-up.
    global.clear();
    x11Session().xdotool({"click", "3"});
    settle();
    EXPECT_TRUE(global.isEmpty());
}

TEST_F(MonitorsFixture, OurOwnWindowsGoToTheLocalMonitorsInstead) {
    const QString ownId = x11Session().waitForWindow("Own Window");
    x11Session().activate(ownId);
    x11Session().xdotool({"key", "b"});
    ASSERT_TRUE(XSession::waitUntil([&] { return local.contains(MonitoredEvent::KeyUp); }));
    x11Session().xdotool({"mousemove", "--window", ownId, "50", "50", "click", "1"});
    ASSERT_TRUE(XSession::waitUntil([&] { return local.contains(MonitoredEvent::LeftMouseUp); }));
    settle();
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
