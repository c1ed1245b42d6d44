#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <csignal>

#include "support/XSession.h"

namespace {

const QString kTitle = "^NiveloAI$";

void writeDefaults(const XSession& session, const QMap<QString, QString>& values) {
    const QString dir = session.path(".config/ai.nivelo.native");
    QDir().mkpath(dir);
    QFile file(dir + "/defaults.ini");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[General]\n");
    for (auto it = values.begin(); it != values.end(); ++it) {
        file.write((it.key() + "=" + it.value() + "\n").toUtf8());
    }
}

QString visibleWindow(const XSession& session) {
    return session.run("xdotool", {"search", "--onlyvisible", "--name", kTitle})
        .split('\n', Qt::SkipEmptyParts)
        .value(0);
}

// Ready to answer a later launch.
bool waitUntilReady(const XSession& session) {
    const QString socket = session.path("runtime/ai.nivelo.native.socket");
    return XSession::waitUntil([&] { return QFileInfo::exists(socket); }, 10000);
}

QString activeWindow(const XSession& session) {
    return session.run("xdotool", {"getactivewindow"}).trimmed();
}

// Closes a window the way its title-bar button does: the window manager is asked to close it
// (_NET_CLOSE_WINDOW) and sends the window its delete request.
void closeThroughWindowManager(const XSession& session, const QString& window) {
    session.run("wmctrl", {"-i", "-c", window});
}

bool endsWithExitZero(QProcess* process) {
    return process->waitForFinished(10000) && process->exitStatus() == QProcess::NormalExit &&
           process->exitCode() == 0;
}

int launchAgain(const XSession& session) {
    int code = -1;
    session.run(NIVELO_BINARY, {}, 10000, &code);
    return code;
}

}  // namespace

TEST(Shell, ShowsItsWindowAndKeepsRunningWhenItIsClosed) {
    XSession session;
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    QProcess* nivelo = session.start(NIVELO_BINARY, {});
    const QString window = session.waitForWindow(kTitle);
    ASSERT_FALSE(window.isEmpty());
    const QString geometry = session.run("xdotool", {"getwindowgeometry", window});
    EXPECT_TRUE(geometry.contains("760x500")) << geometry.toStdString();

    closeThroughWindowManager(session, window);
    EXPECT_TRUE(XSession::waitUntil([&] { return visibleWindow(session).isEmpty(); }));
    EXPECT_FALSE(nivelo->waitForFinished(1000));
    EXPECT_EQ(nivelo->state(), QProcess::Running);

    ::kill(nivelo->processId(), SIGTERM);
    EXPECT_TRUE(endsWithExitZero(nivelo));
}

TEST(Shell, StartsWithoutItsWindowWhenTheSettingIsOffAndShowsItOnTheNextLaunch) {
    XSession session;
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    writeDefaults(session, {{"nivelo.openMainWindowOnLaunch", "false"}});
    session.start(NIVELO_TEST_EDITOR, {"--title", "Other Editor"});
    const QString editor = session.waitForWindow("Other Editor");
    ASSERT_FALSE(editor.isEmpty());

    QProcess* nivelo = session.start(NIVELO_BINARY, {});
    ASSERT_TRUE(waitUntilReady(session));
    EXPECT_TRUE(session.waitForWindow(kTitle, 1000).isEmpty());
    session.activate(editor);

    EXPECT_EQ(launchAgain(session), 0);
    const QString window = session.waitForWindow(kTitle);
    ASSERT_FALSE(window.isEmpty());
    // The window manager honoured the request: ours is the active window now.
    EXPECT_TRUE(XSession::waitUntil([&] { return activeWindow(session) == window; }))
        << activeWindow(session).toStdString();
    EXPECT_EQ(nivelo->state(), QProcess::Running);

    ::kill(nivelo->processId(), SIGINT);
    EXPECT_TRUE(endsWithExitZero(nivelo));
}

TEST(Shell, ASecondLaunchBringsBackTheHiddenWindowAndLeaves) {
    XSession session;
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    QProcess* nivelo = session.start(NIVELO_BINARY, {});
    const QString window = session.waitForWindow(kTitle);
    ASSERT_FALSE(window.isEmpty());
    ASSERT_TRUE(waitUntilReady(session));
    closeThroughWindowManager(session, window);
    ASSERT_TRUE(XSession::waitUntil([&] { return visibleWindow(session).isEmpty(); }));

    session.start(NIVELO_TEST_EDITOR, {"--title", "Other Editor"});
    const QString editor = session.waitForWindow("Other Editor");
    ASSERT_FALSE(editor.isEmpty());
    session.activate(editor);

    EXPECT_EQ(launchAgain(session), 0);
    // The same window comes back, not a second one.
    EXPECT_EQ(session.waitForWindow(kTitle), window);
    EXPECT_TRUE(XSession::waitUntil([&] { return activeWindow(session) == window; }))
        << activeWindow(session).toStdString();
    const QStringList all = session.run("xdotool", {"search", "--onlyvisible", "--name", kTitle})
                                .split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(all.size(), 1);

    ::kill(nivelo->processId(), SIGTERM);
    EXPECT_TRUE(endsWithExitZero(nivelo));
    // The lock went with it: the next launch is the running instance again.
    QProcess* next = session.start(NIVELO_BINARY, {});
    EXPECT_FALSE(session.waitForWindow(kTitle).isEmpty());
    EXPECT_EQ(next->state(), QProcess::Running);
}

TEST(Shell, ClosingTheWindowQuitsWhenTheAppIsNotKeptInTheMenuBar) {
    XSession session;
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    writeDefaults(session, {{"nivelo.closeToMenuBar", "false"}});
    QProcess* nivelo = session.start(NIVELO_BINARY, {});
    const QString window = session.waitForWindow(kTitle);
    ASSERT_FALSE(window.isEmpty());
    closeThroughWindowManager(session, window);
    EXPECT_TRUE(endsWithExitZero(nivelo));
}

TEST(Shell, QuitsOnSigtermWhileItsWindowIsShown) {
    XSession session;
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    QProcess* nivelo = session.start(NIVELO_BINARY, {});
    ASSERT_FALSE(session.waitForWindow(kTitle).isEmpty());
    ::kill(nivelo->processId(), SIGTERM);
    EXPECT_TRUE(endsWithExitZero(nivelo));
}

// The window is on screen but behind another application's: a later launch must bring it to
// the front with the focus, which the window manager grants to a pager's request.
TEST(Shell, ASecondLaunchRaisesAWindowThatIsBehindAnother) {
    XSession session;
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    QProcess* nivelo = session.start(NIVELO_BINARY, {});
    const QString window = session.waitForWindow(kTitle);
    ASSERT_FALSE(window.isEmpty());
    ASSERT_TRUE(waitUntilReady(session));
    session.start(NIVELO_TEST_EDITOR, {"--title", "Other Editor"});
    const QString editor = session.waitForWindow("Other Editor");
    ASSERT_FALSE(editor.isEmpty());
    session.activate(editor);
    session.type("typing here");
    ASSERT_EQ(activeWindow(session), editor);

    EXPECT_EQ(launchAgain(session), 0);
    EXPECT_TRUE(XSession::waitUntil([&] { return activeWindow(session) == window; }))
        << activeWindow(session).toStdString();
    ::kill(nivelo->processId(), SIGTERM);
    EXPECT_TRUE(endsWithExitZero(nivelo));
}
