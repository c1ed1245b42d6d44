#include <gtest/gtest.h>

#include <QFile>

#include "E2eRoadOptions.h"

// An editor whose Copy takes the caret's line when nothing is selected, and moves the caret to
// the line's start, as KWrite's does. With nothing selected, the layout fix, the translation
// preview and Fix leave the text and the caret as they were, and ask the backend nothing.
TEST(LineCopyRoad, NothingSelectedLeavesTheTextAndTheCaretAlone) {
    NiveloRoad road(e2eAccessibleRoadOptions());
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    const QString keyLog = session.path("keys.txt");
    const QString editor =
        road.startTestEditor("Line Editor", 1, {"--line-copy", "--keys", keyLog});
    ASSERT_FALSE(editor.isEmpty());
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    ASSERT_TRUE(session.activate(editor));
    session.type("hello");
    session.key("Return");
    session.type("ghbdtn");
    session.key("Left");
    session.key("Left");
    ASSERT_TRUE(road.waitForEditorText("hello\nghbdtn"));

    const auto copies = [&] {
        QFile file(keyLog);
        return file.open(QIODevice::ReadOnly) ? file.readAll().count("C control") : 0;
    };
    for (const char* key : {"a", "r", "1"}) {
        SCOPED_TRACE(key);
        const qsizetype before = copies();
        road.lockLayoutGroup(0);
        road.pressAltHotKey(key);
        ASSERT_TRUE(XSession::waitUntil([&] { return copies() > before; }))
            << road.diagnostics("line-copy-read").toStdString();
        // Time for the read to end and anything it would paste to land.
        XSession::pause(1500);
        ASSERT_TRUE(session.activate(editor));
        session.type("Z");
        EXPECT_TRUE(road.waitForEditorText("hello\nghbdZtn"))
            << road.diagnostics("line-copy").toStdString();
        session.key("BackSpace");
        ASSERT_TRUE(road.waitForEditorText("hello\nghbdtn"));
    }
    EXPECT_EQ(road.backend().requestCount(), 0);
}
