#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <csignal>

#include "support/XSession.h"

namespace {

const QString kTitle = "^NiveloAI$";

void writeDefaults(const XSession& session, const QMap<QString, QString>& values) {
    ASSERT_TRUE(session.writeNiveloDefaults(values));
}

QString visibleWindow(const XSession& session) {
    return session.run("xdotool", {"search", "--onlyvisible", "--name", kTitle})
        .split('\n', Qt::SkipEmptyParts)
        .value(0);
}

// Ready to answer a later launch.
bool waitUntilReady(const XSession& session) {
    const QString socket = session.path(".local/share/ai.nivelo.native/nivelo.socket");
    return XSession::waitUntil([&] { return QFileInfo::exists(socket); }, 20000);
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

// The session's home and data folder on another display, with no runtime folder: what is
// left to tell two instances apart is the display.
QProcessEnvironment onDisplay(const XSession& home, const QString& display) {
    QProcessEnvironment env = home.environment();
    env.insert("DISPLAY", display);
    env.remove("XDG_RUNTIME_DIR");
    return env;
}

// Runs nivelo to its end; its exit code (-1 when it did not end in time) and its messages.
std::pair<int, QString> runNivelo(const QProcessEnvironment& env) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(NIVELO_BINARY, {});
    if (!p.waitForFinished(15000)) {
        p.kill();
        p.waitForFinished(1000);
        return {-1, {}};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardError())};
}

}  // namespace

// Each test gets its own X session; nivelo and the other editor are started in it.
class Shell : public ::testing::Test {
protected:
    // A tray host: closing the window keeps the app only where its icon can be reached.
    void SetUp() override {
        ASSERT_TRUE(session.isReady()) << session.error().toStdString();
        ASSERT_FALSE(session
                         .startTrayer({"--edge", "top", "--align", "right", "--widthtype",
                                       "request", "--height", "24", "--SetDockType", "true"})
                         .isEmpty());
    }

    QString trayWindow() const {
        return session.xdotool({"search", "--onlyvisible", "--class", "trayer"})
            .split('\n', Qt::SkipEmptyParts)
            .value(0);
    }

    // Starts nivelo and finds its main window.
    void launchWithWindow() {
        nivelo = session.start(NIVELO_BINARY, {});
        window = session.waitForWindow(kTitle);
        ASSERT_FALSE(window.isEmpty());
    }

    // Another application's window, active.
    void startOtherEditor() {
        session.start(NIVELO_TEST_EDITOR, {"--title", "Other Editor"});
        editor = session.waitForWindow("Other Editor");
        ASSERT_FALSE(editor.isEmpty());
        session.activate(editor);
    }

    // A later launch hands over to the running instance and leaves; the window comes to the
    // front because the window manager honoured our activation request.
    void expectHandOverActivates() {
        EXPECT_EQ(launchAgain(session), 0);
        EXPECT_EQ(session.waitForWindow(kTitle), window);
        EXPECT_TRUE(XSession::waitUntil([&] { return activeWindow(session) == window; }))
            << activeWindow(session).toStdString();
        EXPECT_EQ(nivelo->state(), QProcess::Running);
    }

    void expectQuitsOn(int signal) {
        ::kill(nivelo->processId(), signal);
        EXPECT_TRUE(endsWithExitZero(nivelo));
    }

    XSession session;
    QProcess* nivelo = nullptr;
    QString window;
    QString editor;
};

TEST_F(Shell, ShowsItsWindowAndKeepsRunningWhenItIsClosed) {
    ASSERT_NO_FATAL_FAILURE(launchWithWindow());
    // The content's minimum, 760 x 500, under the menu bar.
    const QString geometry = session.run("xdotool", {"getwindowgeometry", window});
    const QRegularExpressionMatch size =
        QRegularExpression("Geometry: (\\d+)x(\\d+)").match(geometry);
    EXPECT_EQ(size.captured(1), "760") << geometry.toStdString();
    EXPECT_GT(size.captured(2).toInt(), 500 + 10) << geometry.toStdString();

    closeThroughWindowManager(session, window);
    EXPECT_TRUE(XSession::waitUntil([&] { return visibleWindow(session).isEmpty(); }));
    EXPECT_FALSE(nivelo->waitForFinished(1000));
    EXPECT_EQ(nivelo->state(), QProcess::Running);
    expectQuitsOn(SIGTERM);
}

TEST_F(Shell, StartsWithoutItsWindowWhenTheSettingIsOffAndShowsItOnTheNextLaunch) {
    writeDefaults(session, {{"nivelo.openMainWindowOnLaunch", "false"}});
    ASSERT_NO_FATAL_FAILURE(startOtherEditor());
    nivelo = session.start(NIVELO_BINARY, {});
    ASSERT_TRUE(waitUntilReady(session));
    EXPECT_TRUE(session.waitForWindow(kTitle, 1000).isEmpty());
    session.activate(editor);

    EXPECT_EQ(launchAgain(session), 0);
    window = session.waitForWindow(kTitle);
    ASSERT_FALSE(window.isEmpty());
    EXPECT_TRUE(XSession::waitUntil([&] { return activeWindow(session) == window; }))
        << activeWindow(session).toStdString();
    expectQuitsOn(SIGINT);
}

TEST_F(Shell, ASecondLaunchBringsBackTheHiddenWindowAndLeaves) {
    ASSERT_NO_FATAL_FAILURE(launchWithWindow());
    ASSERT_TRUE(waitUntilReady(session));
    closeThroughWindowManager(session, window);
    ASSERT_TRUE(XSession::waitUntil([&] { return visibleWindow(session).isEmpty(); }));
    ASSERT_NO_FATAL_FAILURE(startOtherEditor());

    // The same window comes back, not a second one.
    expectHandOverActivates();
    const QStringList all = session.run("xdotool", {"search", "--onlyvisible", "--name", kTitle})
                                .split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(all.size(), 1);

    expectQuitsOn(SIGTERM);
    // The lock went with it: the next launch is the running instance again.
    QProcess* next = session.start(NIVELO_BINARY, {});
    EXPECT_FALSE(session.waitForWindow(kTitle).isEmpty());
    EXPECT_EQ(next->state(), QProcess::Running);
}

TEST_F(Shell, ClosingTheWindowQuitsWhenTheAppIsNotKeptInTheMenuBar) {
    writeDefaults(session, {{"nivelo.closeToMenuBar", "false"}});
    ASSERT_NO_FATAL_FAILURE(launchWithWindow());
    closeThroughWindowManager(session, window);
    EXPECT_TRUE(endsWithExitZero(nivelo));
}

TEST_F(Shell, QuitsOnSigtermWhileItsWindowIsShown) {
    ASSERT_NO_FATAL_FAILURE(launchWithWindow());
    expectQuitsOn(SIGTERM);
}

// The window is on screen but behind another application's: a later launch must bring it to
// the front with the focus, which the window manager grants to a pager's request.
TEST_F(Shell, ASecondLaunchRaisesAWindowThatIsBehindAnother) {
    ASSERT_NO_FATAL_FAILURE(launchWithWindow());
    ASSERT_TRUE(waitUntilReady(session));
    ASSERT_NO_FATAL_FAILURE(startOtherEditor());
    session.type("typing here");
    ASSERT_EQ(activeWindow(session), editor);

    expectHandOverActivates();
    expectQuitsOn(SIGTERM);
}

TEST_F(Shell, TrayMenuQuitEndsTheApp) {
    ASSERT_NO_FATAL_FAILURE(launchWithWindow());
    // The icon is embedded in the tray host, which grows from nothing to hold it.
    QString geometry;
    ASSERT_TRUE(XSession::waitUntil([&] {
        geometry = session.xdotool({"getwindowgeometry", "--shell", trayWindow()});
        const QString width = geometry.section("WIDTH=", 1).section('\n', 0, 0);
        return width.toInt() >= 18;
    })) << geometry.toStdString();
    session.xdotool({"mousemove", "--window", trayWindow(), "12", "12", "click", "3"});
    XSession::waitUntil([] { return false; }, 500);
    session.key("Up");
    session.key("Return");
    EXPECT_TRUE(endsWithExitZero(nivelo)) << session.screenshot("tray-menu").toStdString();
}

// One instance per data folder, whatever the display: a launch on a second display hands over
// to the first instance (its window comes back on its own display) and leaves; one that gets
// no answer says why and fails.
TEST_F(Shell, ASecondDisplayOnTheSameDataFolderHandsOverToTheRunningInstance) {
    XSession other;
    ASSERT_TRUE(other.isReady()) << other.error().toStdString();
    QProcess first;
    first.setProcessEnvironment(onDisplay(session, session.display()));
    first.start(NIVELO_BINARY, {});
    window = session.waitForWindow(kTitle);
    ASSERT_FALSE(window.isEmpty());
    ASSERT_TRUE(waitUntilReady(session));
    closeThroughWindowManager(session, window);
    ASSERT_TRUE(XSession::waitUntil([&] { return visibleWindow(session).isEmpty(); }));

    EXPECT_EQ(runNivelo(onDisplay(session, other.display())).first, 0);
    EXPECT_EQ(session.waitForWindow(kTitle), window);
    EXPECT_TRUE(other.visibleWindowOfInstance().isEmpty());
    EXPECT_EQ(first.state(), QProcess::Running);

    // Stopped, the running instance cannot answer.
    ::kill(first.processId(), SIGSTOP);
    const auto [code, message] = runNivelo(onDisplay(session, other.display()));
    ::kill(first.processId(), SIGCONT);
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(message.contains("NiveloAI already runs for this data folder"))
        << message.toStdString();
    ::kill(first.processId(), SIGTERM);
    EXPECT_TRUE(endsWithExitZero(&first));
}
