#include <gtest/gtest.h>

#include "platform/QtHttpTransport.h"
#include "support/EventWait.h"
#include "support/LoopbackHttpServer.h"
#include "support/QtPrinters.h"
#include "support/VirtualClock.h"
#include "updates/AppUpdateClient.h"

namespace {

class UpdateClientTest : public ::testing::Test {
protected:
    LoopbackHttpServer server;
    VirtualClock clock;
    QtHttpTransport transport{clock};

    AppUpdateClient client(qint64 build = 120, QString origin = {}) {
        return AppUpdateClient(origin.isNull() ? server.url(QString()).toString() : origin,
                               transport, clock, {"1.3", build});
    }
};

}  // namespace

TEST_F(UpdateClientTest, AsksWithOneBodilessGetCarryingTheBuildAndLocale) {
    server.enqueue(CannedReply::json(200, "{}"));
    AppUpdateClient asking(server.url(QString()).toString(), transport, clock,
                           {"2.0 beta+ü&x=%", 0});
    ASSERT_TRUE(runNetworkTask(asking.check(UiLanguage::ru))->value);
    const RecordedRequest& seen = server.requests().last();
    EXPECT_EQ(seen.method, "GET");
    EXPECT_EQ(QString::fromLatin1(seen.target),
              "/macos/app/version?channel=release&platform=macos&current_version="
              "2.0%20beta%2B%C3%BC%26x%3D%25&current_build=0&bundle_id=ai.nivelo.native&locale=ru");
    EXPECT_TRUE(seen.body.isEmpty());
    EXPECT_TRUE(seen.header("x-nivelo-device-id").isEmpty());

    for (const QString bad : {"", "http://", "ftp://127.0.0.1", "http://exa mple.com"}) {
        AppUpdateClient invalid = client(120, bad);
        auto out = runNetworkTask(invalid.check(UiLanguage::en));
        EXPECT_EQ(out->errorDescription(), "Update URL is invalid.") << bad.toStdString();
    }
    EXPECT_EQ(server.requestCount(), 1);
}

TEST_F(UpdateClientTest, ReadsA2xxAnswerIntoASnapshot) {
    struct Row {
        QByteArray body;
        AppUpdateSnapshot expected;
        UiLanguage language = UiLanguage::en;
    };
    const std::vector<Row> rows = {
        {R"({"ok":null,"x":[1]})", {}},
        {R"({"latest_build":121,"latest_version":"1.4"})",
         {.updateAvailable = true, .latestVersion = "1.4", .latestBuild = 121}},
        // An explicit flag wins over the numbers.
        {R"({"update_available":false,"latest_build":999})", {.latestBuild = 999}},
        {R"({"min_supported_build":121})", {.forceUpdate = true}},
        {R"({"title":{"ru":"Привет"},"message":{"en":"New","ru":""}})",
         {.title = "Привет", .message = ""},
         UiLanguage::ru},
        {R"({"download_url":"HTTPS://example.com/n.tar.gz"})",
         {.downloadURL = QUrl("https://example.com/n.tar.gz")}},
        // Only web addresses reach the desktop's opener.
        {R"({"download_url":"file:///etc/passwd"})", {}},
        {R"({"download_url":"/downloads/n.tar.gz"})", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.body.toStdString());
        server.enqueue(CannedReply::json(200, row.body));
        AppUpdateClient asking = client();
        auto out = runNetworkTask(asking.check(row.language));
        ASSERT_TRUE(out->value) << out->errorDescription().toStdString();
        AppUpdateSnapshot expected = row.expected;
        expected.checkedAt = clock.currentDateTime();
        EXPECT_TRUE(*out->value == expected);
    }
}

TEST_F(UpdateClientTest, FailsOnAnUnreadableRefusedOrFailedAnswer) {
    const QString unreadable = "The server's answer could not be read.";
    const std::vector<std::tuple<int, QByteArray, QString>> rows = {
        {200, R"({"latest_build":"121"})", unreadable},
        {200, R"({"latest_build":121.5})", unreadable},
        {200, "[]", unreadable},
        {204, "", unreadable},
        {200, R"({"ok":false,"error":"Banned build"})", "Banned build"},
        {200, R"({"ok":false,"error":" \n"})", "Update check failed."},
        {503, R"({"error":"Maintenance"})", "Maintenance"},
        {502, "<html>Bad Gateway</html>", "Update server returned HTTP 502."},
    };
    for (const auto& [status, body, error] : rows) {
        server.enqueue(CannedReply::json(status, body));
        AppUpdateClient asking = client();
        EXPECT_EQ(runNetworkTask(asking.check(UiLanguage::en))->errorDescription(), error)
            << status << " " << body.toStdString();
    }
}

TEST_F(UpdateClientTest, GivesUpAfterTwentySilentSecondsOrThirtyInAll) {
    server.enqueue(CannedReply::never());
    AppUpdateClient asking = client();
    auto silent = startTask(asking.check(UiLanguage::en));
    ASSERT_TRUE(waitUntil([&] { return server.requestCount() == 1; }));
    clock.advance(19'999);
    EXPECT_FALSE(silent->done);
    clock.advance(1);
    ASSERT_TRUE(waitUntil([&] { return silent->done; }));
    EXPECT_EQ(silent->errorDescription(), "The request timed out.");

    // A byte every few real milliseconds keeps it from going idle, not forever. Qt reports
    // progress at most every 100 ms, hence the real pauses between the steps.
    CannedReply trickle = CannedReply::json(200, QByteArray(500, ' ') + "{}");
    trickle.trickleMs = 5;
    server.enqueue(trickle);
    auto slow = startTask(asking.check(UiLanguage::en));
    ASSERT_TRUE(waitUntil([&] { return server.requestCount() == 2; }));
    for (const qint64 step : {10'000, 10'000, 9'999}) {
        waitUntil([] { return false; }, 150);
        clock.advance(step);
        EXPECT_FALSE(slow->done) << step;
    }
    clock.advance(1);
    ASSERT_TRUE(waitUntil([&] { return slow->done; }));
    EXPECT_EQ(slow->errorDescription(), "The request timed out.");
}
