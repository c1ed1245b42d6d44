#include <gtest/gtest.h>

#include <QFile>

#include "XSession.h"

namespace {
QString readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}
}  // namespace

// The harness itself: typing reaches a real editor, the clipboard round-trips, and the second
// layout group is there for the layout tests.
TEST(Harness, TypesIntoTheTestEditorAndReadsTheClipboard) {
    XSession session;
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    EXPECT_TRUE(session.run("setxkbmap", {"-query"}).contains("us,ru"));
    EXPECT_EQ(session.currentLayoutGroup(), 0);

    const QString dump = session.path("editor.txt");
    session.start(NIVELO_TEST_EDITOR, {"--dump", dump, "--title", "Harness Editor"});
    const QString window = session.waitForWindow("Harness Editor");
    ASSERT_FALSE(window.isEmpty());
    session.activate(window);
    session.type("hello world");
    EXPECT_TRUE(XSession::waitUntil([&] { return readFile(dump) == "hello world"; }))
        << readFile(dump).toStdString();

    session.setClipboardText("from the user");
    EXPECT_EQ(session.clipboardText(), "from the user");
    session.key("ctrl+a");
    session.key("ctrl+c");
    EXPECT_TRUE(XSession::waitUntil([&] { return session.clipboardText() == "hello world"; }));
}
