#include <gtest/gtest.h>
#include <signal.h>

#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

#include "E2eRoadOptions.h"

// SIGTERM ends nivelo within 2 s while it reads a broken program's clipboard (one that never
// answers, one that sends its text in slow pieces without end), and what the history holds is
// written.
TEST(QuitWhileReading, SigtermEndsNiveloWithinTwoSecondsWhateverTheOwner) {
    NiveloRoad road(e2eRoadOptions());
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    for (const QString mode : {"silent", "slow-pieces"}) {
        SCOPED_TRACE(mode.toStdString());
        ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
        const QString kept = "kept through the quit past " + mode;
        session.setClipboardText(kept);
        ASSERT_TRUE(XSession::waitUntil(
            [&] { return road.storedClipboardHistory().value(0) == kept; }, 10000));
        session.start(NIVELO_TEST_EDITOR, {"--dump", session.path("owner.txt"), "--own", mode});
        // The history's look (every 0.7 s) has started its read of the new owner.
        XSession::waitUntil([] { return false; }, 900);

        QProcess* nivelo = road.nivelo();
        QElapsedTimer quitting;
        quitting.start();
        ::kill(pid_t(nivelo->processId()), SIGTERM);
        const bool ended = nivelo->waitForFinished(2000);
        std::printf("%-12s SIGTERM to exit: %lld ms\n", qPrintable(mode),
                    ended ? static_cast<long long>(quitting.elapsed()) : -1LL);
        EXPECT_TRUE(ended) << "still running after " << quitting.elapsed() << " ms";
        if (!ended) {
            road.killNivelo();
        }
        EXPECT_EQ(road.storedClipboardHistory().value(0), kept);
        // The next start waits for a socket of its own.
        QFile::remove(session.path(".local/share/ai.nivelo.native/nivelo.socket"));
    }
}
