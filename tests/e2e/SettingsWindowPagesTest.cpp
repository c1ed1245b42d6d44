// The settings window's pages in the real binary, read back over the accessibility bus: a
// click on a sidebar row shows that page; and closing the window with "Keep NiveloAI in menu
// bar when closing" on only hides it. The rule reads the stored flag alone, not whether a tray
// is running, so no tray is started.

#include <gtest/gtest.h>

#include <QProcess>
#include <iostream>

#include "platform/x11/AtspiAccessibility.h"
#include "support/XSession.h"

namespace {

// The accessible names in a process's tree, each with how often it occurs.
QMap<QString, int> accessibleNames(AtspiAccessibility& accessibility, qint64 pid) {
    QMap<QString, int> names;
    QList<AXElementPtr> pending{accessibility.applicationElement(pid)};
    for (int visited = 0; !pending.isEmpty() && visited < 2000; ++visited) {
        const AXElementPtr element = pending.takeLast();
        if (!element) {
            continue;
        }
        if (const auto title = accessibility.title(element)) {
            ++names[*title];
        }
        pending += accessibility.children(element);
    }
    return names;
}

struct PagesFixture : ::testing::Test {
    XSession session{XSession::Options{true}};
    QProcess* nivelo = nullptr;
    QString window;

    void open(const QMap<QString, QString>& defaults) {
        ASSERT_TRUE(session.isReady()) << session.error().toStdString();
        ASSERT_TRUE(session.writeNiveloDefaults(defaults));
        // This process reads nivelo's tree over the session's accessibility bus.
        const QProcessEnvironment env = session.environment();
        for (const QString& key : env.keys()) {
            qputenv(key.toLocal8Bit().constData(), env.value(key).toLocal8Bit());
        }
        nivelo = session.start(NIVELO_BINARY, {});
        window = session.waitForWindow(QStringLiteral("^NiveloAI$"));
        ASSERT_FALSE(window.isEmpty());
    }
};

}  // namespace

// The shown page's title names more than its row (also the title above the page and its
// scroll area); another page's title names no more than "Updates", a page never shown, does.
TEST_F(PagesFixture, ARowClickShowsThatPage) {
    open({{"nivelo.theme", "liquid-violet"}});
    AtspiAccessibility accessibility;
    ASSERT_TRUE(accessibility.isAvailable());
    QMap<QString, int> names;
    const auto shows = [&](const QString& shown, const QString& other) {
        return XSession::waitUntil(
            [&] {
                names = accessibleNames(accessibility, nivelo->processId());
                const int rowOnly = names.value("Updates");
                return rowOnly > 0 && names.value(other) == rowOnly && names.value(shown) > rowOnly;
            },
            20000);
    };
    ASSERT_TRUE(shows("General", "Shortcuts"))
        << names.value("General") << " " << names.value("Shortcuts") << " "
        << names.value("Updates");
    std::cout << "settings window, glass: " << session.screenshot("settings-glass").toStdString()
              << std::endl;

    // Ninth of the ten rows, each 34 high with 4 between, below the menu bar and the insets.
    session.run("xdotool", {"mousemove", "--window", window, "100", "390", "click", "1"});
    EXPECT_TRUE(shows("Shortcuts", "General"))
        << names.value("General") << " " << names.value("Shortcuts") << " "
        << names.value("Updates");
}

// With a tray to come back through, as the close rule asks.
TEST_F(PagesFixture, ClosingHidesTheWindowWhileKeepInMenuBarIsOn) {
    ASSERT_FALSE(session
                     .startTrayer({"--edge", "top", "--align", "right", "--widthtype", "request",
                                   "--height", "24", "--SetDockType", "true"})
                     .isEmpty());
    open({{"nivelo.theme", "system"}, {"nivelo.closeToMenuBar", "true"}});
    std::cout << "settings window, system: " << session.screenshot("settings-system").toStdString()
              << std::endl;
    session.run("wmctrl", {"-i", "-c", window});
    EXPECT_TRUE(XSession::waitUntil([&] {
        return session.run("xdotool", {"search", "--onlyvisible", "--name", "^NiveloAI$"})
            .trimmed()
            .isEmpty();
    }));
    EXPECT_FALSE(nivelo->waitForFinished(1500));
    EXPECT_EQ(nivelo->state(), QProcess::Running);
}
