// The Keyboard layout page in the real binary: an application added through the page's file
// dialog while the ru layout is current gets a rule with that layout, and activating that
// application then switches the XKB group to ru.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include "platform/x11/AtspiAccessibility.h"
#include "support/NiveloRoad.h"

namespace {

// The first element of the process's tree with that title that can be pressed.
AXElementPtr pressable(AtspiAccessibility& accessibility, qint64 pid, const QString& title) {
    QList<AXElementPtr> pending{accessibility.applicationElement(pid)};
    for (int visited = 0; !pending.isEmpty() && visited < 3000; ++visited) {
        const AXElementPtr element = pending.takeFirst();
        if (!element) {
            continue;
        }
        if (accessibility.title(element) == title && accessibility.canPress(element)) {
            return element;
        }
        pending += accessibility.children(element);
    }
    return nullptr;
}

QString storedDefaults(XSession& session) {
    QFile file(session.path(".config/ai.nivelo.native/defaults.ini"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

TEST(LayoutPageRoad, AnApplicationAddedThroughTheDialogGetsItsLayoutOnActivation) {
    const QString entry = "/usr/share/applications/org.xfce.mousepad.desktop";
    if (!QFile::exists(entry)) {
        GTEST_SKIP() << "mousepad is not installed";
    }
    NiveloRoad road(
        {NIVELO_BINARY, NIVELO_TEST_EDITOR, true, {{"nivelo.openMainWindowOnLaunch", "true"}}});
    XSession& session = road.session();
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    ASSERT_FALSE(session.waitForWindow("^NiveloAI$").isEmpty());
    const QProcessEnvironment env = session.environment();
    for (const QString& key : env.keys()) {
        qputenv(key.toLocal8Bit().constData(), env.value(key).toLocal8Bit());
    }
    AtspiAccessibility accessibility;
    ASSERT_TRUE(accessibility.isAvailable());
    const qint64 pid = road.nivelo()->processId();

    AXElementPtr element;
    const auto press = [&](const QString& title) {
        return XSession::waitUntil(
                   [&] {
                       element = pressable(accessibility, pid, title);
                       return element != nullptr;
                   },
                   20000) &&
               accessibility.press(element);
    };
    ASSERT_TRUE(press("Layout"));
    ASSERT_TRUE(press("Add application")) << road.diagnostics("layout-page").toStdString();
    const QString dialog = session.waitForWindow("^Choose an application$");
    ASSERT_FALSE(dialog.isEmpty()) << road.diagnostics("layout-dialog").toStdString();
    session.activate(dialog);
    road.lockLayoutGroup(0);
    session.type(entry);
    road.lockLayoutGroup(1);
    // Not through xdotool: it puts group 0 in force around its key, which the new rule can
    // read on a busy machine.
    road.pressKeys({"Return"});
    // The rule, then per-application switching on.
    ASSERT_TRUE(XSession::waitUntil([&] {
        const QString stored = storedDefaults(session);
        return stored.contains("org.xfce.mousepad") && stored.contains("Russian") &&
               stored.contains("appLayoutSwitching.enabled=true");
    })) << storedDefaults(session).toStdString()
        << road.diagnostics("layout-added").toStdString();

    road.lockLayoutGroup(0);
    ASSERT_EQ(session.currentLayoutGroup(), 0);
    ASSERT_FALSE(session.startAndActivate("mousepad", "mousepad").isEmpty());
    EXPECT_TRUE(XSession::waitUntil([&] { return session.currentLayoutGroup() == 1; }, 20000))
        << road.diagnostics("layout-switched").toStdString();
}
