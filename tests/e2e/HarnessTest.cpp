#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "support/XSession.h"

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

// A program the session's clients start detached (as nivelo starts its clipboard keeper when
// it quits) ends with the session, before the server, so it reports no lost connection.
TEST(Harness, ADetachedClientEndsBeforeTheServerWithoutALostConnection) {
    QTemporaryDir logs;
    const QString log = logs.filePath("stray.log");
    qint64 pid = 0;
    {
        XSession session;
        ASSERT_TRUE(session.isReady()) << session.error().toStdString();
        QProcess stray;
        stray.setProgram(NIVELO_TEST_EDITOR);
        stray.setArguments({"--title", "Stray Editor"});
        stray.setProcessEnvironment(session.environment());
        stray.setStandardOutputFile(log);
        stray.setStandardErrorFile(log, QIODevice::Append);
        ASSERT_TRUE(stray.startDetached(&pid));
        ASSERT_FALSE(session.waitForWindow("Stray Editor").isEmpty());
    }
    EXPECT_TRUE(XSession::waitUntil(
        [&] {
            return !QFile::exists(QString("/proc/%1/environ").arg(pid)) ||
                   readFile(QString("/proc/%1/environ").arg(pid)).isEmpty();
        },
        5000));
    const QString output = readFile(log);
    EXPECT_FALSE(output.contains("connection broke")) << output.toStdString();
    EXPECT_FALSE(output.contains("XIO")) << output.toStdString();
}
