// The Quick Menu page of the real binary reaches the quick panel: switching "Fix" off there
// takes its row out of the panel that Alt+Q opens, and moving "Translate" up puts it first.
// The page is driven over the accessibility bus, the panel read back the same way.

#include <gtest/gtest.h>

#include <QProcess>
#include <iostream>

#include "platform/x11/AtspiAccessibility.h"
#include "support/NiveloRoad.h"

namespace {

struct Node {
    AXElementPtr element;
    QString title;
};

QString titleOf(AtspiAccessibility& accessibility, const AXElementPtr& element) {
    const auto title = accessibility.attribute(element, "AXTitle");
    const auto* text = title ? std::get_if<QString>(&*title) : nullptr;
    return text ? *text : QString();
}

// The elements under root in reading order (depth first, children in order).
QList<Node> walk(AtspiAccessibility& accessibility, const AXElementPtr& root) {
    QList<Node> nodes;
    QList<AXElementPtr> pending{root};
    while (!pending.isEmpty() && nodes.size() < 3000) {
        const AXElementPtr element = pending.takeLast();
        if (!element) {
            continue;
        }
        nodes.append({element, titleOf(accessibility, element)});
        const auto children = accessibility.attribute(element, "AXChildren");
        if (const auto* list = children ? std::get_if<QList<AXElementPtr>>(&*children) : nullptr) {
            for (auto it = list->rbegin(); it != list->rend(); ++it) {
                pending.append(*it);
            }
        }
    }
    return nodes;
}

// The first element titled `title` that offers one of `actions`; it is pressed with that action.
bool press(AtspiAccessibility& accessibility, qint64 pid, const QString& title,
           const QStringList& actions) {
    for (const Node& node : walk(accessibility, accessibility.applicationElement(pid))) {
        if (node.title != title) {
            continue;
        }
        const QStringList offered = accessibility.actionNames(node.element);
        for (const QString& action : actions) {
            if (offered.contains(action)) {
                return accessibility.performAction(node.element, action);
            }
        }
    }
    return false;
}

// The panel's row titles in order; empty while no panel is open.
QStringList panelRows(AtspiAccessibility& accessibility, qint64 pid) {
    static const QStringList known{"AI assistant", "Translate", "Fix", "Friendly", "Clipboard"};
    const QList<Node> nodes = walk(accessibility, accessibility.applicationElement(pid));
    const auto panel = std::ranges::find(nodes, QString("Quick actions"), &Node::title);
    if (panel == nodes.end()) {
        return {};
    }
    QStringList rows;
    for (const Node& node : walk(accessibility, panel->element)) {
        if (known.contains(node.title) && !rows.contains(node.title)) {
            rows << node.title;
        }
    }
    return rows;
}

}  // namespace

TEST(QuickMenuPageRoad, FixSwitchedOffAndTranslateMovedUpReachTheQuickPanel) {
    NiveloRoad::Options options;
    options.niveloBinary = NIVELO_BINARY;
    options.testEditor = NIVELO_TEST_EDITOR;
    options.accessibilityBus = true;
    options.defaults = {{"nivelo.openMainWindowOnLaunch", "true"}};
    NiveloRoad road(options);
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    ASSERT_FALSE(session.waitForWindow(QStringLiteral("^NiveloAI$")).isEmpty());
    const QProcessEnvironment env = session.environment();
    for (const QString& key : env.keys()) {
        qputenv(key.toLocal8Bit().constData(), env.value(key).toLocal8Bit());
    }
    AtspiAccessibility accessibility;
    ASSERT_TRUE(accessibility.isAvailable());
    const qint64 pid = road.nivelo()->processId();

    ASSERT_TRUE(XSession::waitUntil(
        [&] { return press(accessibility, pid, "Quick Menu", {"AXPress"}); }, 10000));
    ASSERT_TRUE(XSession::waitUntil(
        [&] { return press(accessibility, pid, "Fix", {"Toggle", "AXPress"}); }, 10000));
    ASSERT_TRUE(XSession::waitUntil(
        [&] { return press(accessibility, pid, "Move up: Translate", {"AXPress"}); }));
    std::cout << "Quick Menu page: " << session.screenshot("quick-menu-page").toStdString()
              << std::endl;

    const QString editor = road.startTestEditor("Quick menu target");
    ASSERT_FALSE(editor.isEmpty());
    session.activate(editor);
    QStringList rows;
    ASSERT_TRUE(XSession::waitUntil(
        [&] {
            road.pressAltHotKey("q");
            return XSession::waitUntil(
                [&] { return !(rows = panelRows(accessibility, pid)).isEmpty(); }, 2000);
        },
        10000))
        << road.diagnostics("quick-menu-panel").toStdString();
    std::cout << "Quick panel: " << session.screenshot("quick-menu-panel").toStdString()
              << std::endl;
    EXPECT_EQ(rows, (QStringList{"Translate", "AI assistant", "Friendly", "Clipboard"}));
}
