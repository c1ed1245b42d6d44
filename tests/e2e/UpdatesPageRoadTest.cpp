// The updates page of the real binary while the stand-in announces build 999: the launch
// check's notice waits for the page, shows there once, and a restart with the same answer
// announces nothing.

#include <gtest/gtest.h>

#include <iostream>

#include "platform/x11/AtspiAccessibility.h"
#include "support/NiveloRoad.h"

namespace {

// Whether an element of the process's tree is named so.
bool showsName(AtspiAccessibility& accessibility, qint64 pid, const QString& name) {
    QList<AXElementPtr> pending{accessibility.applicationElement(pid)};
    for (int visited = 0; !pending.isEmpty() && visited < 3000; ++visited) {
        const AXElementPtr element = pending.takeLast();
        if (!element) {
            continue;
        }
        if (accessibility.title(element) == name) {
            return true;
        }
        pending += accessibility.children(element);
    }
    return false;
}

QString alertWindow(XSession& session) {
    return session.xdotool({"search", "--onlyvisible", "--name", "^Updates"}).trimmed();
}

}  // namespace

TEST(UpdatesPageRoad, TheLaunchNoticeShowsOnThePageOnceAndNotAgainAfterARestart) {
    NiveloRoad road({.niveloBinary = NIVELO_BINARY,
                     .accessibilityBus = true,
                     .defaults = {{"nivelo.updates.automaticChecksEnabled", "true"},
                                  {"nivelo.openMainWindowOnLaunch", "true"}}});
    road.backend().setHandler([](const RecordedRequest&) {
        return CannedReply::json(200, R"({"ok": true, "latest_build": 999,
            "latest_version": "9.9", "download_url": "https://example.com/nivelo.deb"})");
    });
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    const QProcessEnvironment env = session.environment();
    for (const QString& key : env.keys()) {
        qputenv(key.toLocal8Bit().constData(), env.value(key).toLocal8Bit());
    }
    AtspiAccessibility accessibility;

    for (const bool firstRun : {true, false}) {
        SCOPED_TRACE(firstRun);
        // The restart keeps the defaults the first run left (startNivelo() rewrites them).
        QProcessEnvironment origin;
        origin.insert("NIVELO_BACKEND_ORIGIN",
                      QString("http://127.0.0.1:%1").arg(road.backend().port()));
        const int requestsBefore = road.backend().requestCount();
        if (firstRun) {
            ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
        } else {
            session.start(NIVELO_BINARY, {}, origin);
        }
        const QString window = session.waitForWindow(QStringLiteral("^NiveloAI$"));
        ASSERT_FALSE(window.isEmpty());
        const qint64 pid = session.xdotool({"getwindowpid", window}).trimmed().toLongLong();
        ASSERT_TRUE(XSession::waitUntil(
            [&] { return road.backend().requestCount() > requestsBefore; }, 20000));
        // The notice waits for the page: the window opened on General.
        XSession::waitUntil([] { return false; }, 800);
        EXPECT_TRUE(alertWindow(session).isEmpty());

        // The tenth row, "Updates".
        session.xdotool({"mousemove", "--window", window, "100", "428", "click", "1"});
        EXPECT_TRUE(XSession::waitUntil(
            [&] { return showsName(accessibility, pid, "Update available"); }, 20000));
        EXPECT_EQ(XSession::waitUntil([&] { return !alertWindow(session).isEmpty(); },
                                      firstRun ? 5000 : 1500),
                  firstRun);
        if (firstRun) {
            EXPECT_TRUE(showsName(accessibility, pid, "Version 9.9 is available."));
            std::cout << "updates page: " << session.screenshot("updates-page").toStdString()
                      << std::endl;
            ASSERT_TRUE(road.stopNivelo());
        }
    }
}
