#include <gtest/gtest.h>

#include "E2eRoadOptions.h"

// The clipboard history against the real binary: what the user copies in a real editor is
// recorded, kept in its own file and still there after nivelo restarts.

TEST(HistoryRoad, CopiesInMousepadAreKeptNewestFirstAcrossARestart) {
    NiveloRoad road(e2eRoadOptions());
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    const QString window = session.startAndActivate("mousepad", "mousepad");
    ASSERT_FALSE(window.isEmpty());
    XSession::waitUntil([] { return false; }, 300);

    const QStringList copies{"first copied text", "second copied text", "third copied text"};
    for (const QString& text : copies) {
        ASSERT_TRUE(road.typeAndCopy(text)) << road.diagnostics("history-copy").toStdString();
    }
    const QStringList newestFirst{copies[2], copies[1], copies[0]};
    EXPECT_TRUE(XSession::waitUntil([&] { return road.storedClipboardHistory() == newestFirst; }))
        << road.storedClipboardHistory().join(" | ").toStdString();

    ASSERT_TRUE(road.stopNivelo());
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    // Start-up saved the history it loaded; a copy now goes in front of it.
    EXPECT_EQ(road.storedClipboardHistory(), newestFirst);
    session.activate(window);
    ASSERT_TRUE(road.typeAndCopy("fourth copied text"));
    EXPECT_TRUE(XSession::waitUntil([&] {
        return road.storedClipboardHistory() == QStringList{"fourth copied text"} + newestFirst;
    })) << road.storedClipboardHistory().join(" | ").toStdString();
}
