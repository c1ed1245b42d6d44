// The Quick Menu page of the real binary reaches the quick panel: switching "Fix" off there
// takes its row out of the panel that Alt+Q opens, and moving "Translate" up puts it first.
// The page is driven over the accessibility bus, the panel read back the same way.

#include <gtest/gtest.h>

#include <QProcess>
#include <iostream>

#include "platform/x11/AtspiAccessibility.h"
#include "support/NiveloRoad.h"

namespace {

// The elements under root with their titles, in reading order (depth first).
QList<std::pair<AXElementPtr, QString>> walk(AtspiAccessibility& ax, const AXElementPtr& root) {
    QList<std::pair<AXElementPtr, QString>> nodes;
    QList<AXElementPtr> pending{root};
    while (!pending.isEmpty() && nodes.size() < 3000) {
        const AXElementPtr element = pending.takeLast();
        nodes.append({element, element ? ax.title(element).value_or(QString()) : QString()});
        if (element) {
            std::ranges::reverse_copy(ax.children(element), std::back_inserter(pending));
        }
    }
    return nodes;
}

// Presses the first element titled `title` that offers one of `actions`.
bool press(AtspiAccessibility& ax, qint64 pid, const QString& title, const QStringList& actions) {
    for (const auto& [element, name] : walk(ax, ax.applicationElement(pid))) {
        const QStringList offered = name == title ? ax.actionNames(element) : QStringList();
        for (const QString& action : actions) {
            if (offered.contains(action)) {
                return ax.performAction(element, action);
            }
        }
    }
    return false;
}

// Some of the panel's row titles, in order; empty while no panel is open.
QStringList panelRows(AtspiAccessibility& ax, qint64 pid) {
    static const QStringList known{"AI assistant", "Translate", "Fix", "Friendly", "Clipboard"};
    QStringList rows;
    for (const auto& [element, name] : walk(ax, ax.applicationElement(pid))) {
        if (name != "Quick actions") {
            continue;
        }
        for (const auto& [row, title] : walk(ax, element)) {
            if (known.contains(title) && !rows.contains(title)) {
                rows << title;
            }
        }
    }
    return rows;
}

}  // namespace

TEST(QuickMenuPageRoad, FixSwitchedOffAndTranslateMovedUpReachTheQuickPanel) {
    NiveloRoad road(
        {NIVELO_BINARY, NIVELO_TEST_EDITOR, true, {{"nivelo.openMainWindowOnLaunch", "true"}}});
    XSession& session = road.session();
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    ASSERT_FALSE(session.waitForWindow(QStringLiteral("^NiveloAI$")).isEmpty());
    const QProcessEnvironment env = session.environment();
    for (const QString& key : env.keys()) {
        qputenv(key.toLocal8Bit().constData(), env.value(key).toLocal8Bit());
    }
    AtspiAccessibility ax;
    ASSERT_TRUE(ax.isAvailable());
    const qint64 pid = road.nivelo()->processId();
    // Each waits for the page to be built or refreshed after the press before.
    const auto pressed = [&](const QString& title, const QStringList& actions) {
        return XSession::waitUntil([&] { return press(ax, pid, title, actions); }, 20000);
    };
    ASSERT_TRUE(pressed("Quick Menu", {AtspiAccessibility::kPressAction}));
    ASSERT_TRUE(pressed("Fix", {"Toggle", AtspiAccessibility::kPressAction}));
    ASSERT_TRUE(pressed("Move up: Translate", {AtspiAccessibility::kPressAction}));

    session.activate(road.startTestEditor("Quick menu target"));
    QStringList rows;
    ASSERT_TRUE(XSession::waitUntil(
        [&] {
            road.pressAltHotKey("q");
            return XSession::waitUntil([&] { return !(rows = panelRows(ax, pid)).isEmpty(); },
                                       8000);
        },
        40000))
        << road.diagnostics("quick-menu-panel").toStdString();
    std::cout << "Quick panel: " << session.screenshot("quick-menu-panel").toStdString()
              << std::endl;
    EXPECT_EQ(rows, (QStringList{"Translate", "AI assistant", "Friendly", "Clipboard"}));
}
