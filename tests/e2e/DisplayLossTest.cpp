#include <gtest/gtest.h>
#include <signal.h>

#include <QProcess>

#include "E2eRoadOptions.h"

// The X server going away (a logout, a restarted display) ends nivelo as SIGTERM does: it
// exits, not by a signal (no crash, no heap-corruption abort), and what the history holds is
// on disk. Also when a SIGTERM comes at the same moment.
TEST(DisplayLoss, EndingTheServerEndsNiveloCleanly) {
    for (const bool sigterm : {false, true, false, true}) {
        SCOPED_TRACE(sigterm ? "server ended with SIGTERM to nivelo" : "server ended");
        NiveloRoad road(e2eRoadOptions());
        XSession& session = road.session();
        ASSERT_TRUE(session.isReady()) << session.error().toStdString();
        ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
        // A hot key is grabbed, so the reader's thread waits on the server.
        const QString kept = "kept past the end of the display";
        session.setClipboardText(kept);
        ASSERT_TRUE(XSession::waitUntil(
            [&] { return road.storedClipboardHistory().value(0) == kept; }, 10000));

        QProcess* nivelo = road.nivelo();
        if (sigterm) {
            ::kill(pid_t(nivelo->processId()), SIGTERM);
        }
        session.endServer();
        ASSERT_TRUE(nivelo->waitForFinished(10000)) << "still running";
        EXPECT_EQ(nivelo->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(road.storedClipboardHistory().value(0), kept);
    }
}
