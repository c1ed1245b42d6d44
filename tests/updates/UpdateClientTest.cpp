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

    AppUpdateClient client(qint64 build = 120, QString version = QStringLiteral("1.3")) {
        return AppUpdateClient(origin(), transport, clock, {std::move(version), build});
    }
    QString origin() const { return server.url(QString()).toString(); }
};

const QString kQuery =
    "channel=release&platform=macos&current_version=%1&current_build=%2"
    "&bundle_id=ai.nivelo.native&locale=%3";

}  // namespace

TEST_F(UpdateClientTest, AsksWithOneBodilessGetCarryingTheBuildAndLocaleInOrder) {
    struct Row {
        UiLanguage language;
        AppUpdateClient::Build build;
        QString version;  // as it travels
    };
    const std::vector<Row> rows = {
        {UiLanguage::en, {"1.3.0", 120}, "1.3.0"},
        {UiLanguage::ru, {"2.0 beta+ü&x=%", 0}, "2.0%20beta%2B%C3%BC%26x%3D%25"},
    };
    for (const Row& row : rows) {
        server.enqueue(CannedReply::json(200, "{}"));
        AppUpdateClient asking(origin(), transport, clock, row.build);
        auto out = runNetworkTask(asking.check(row.language));
        ASSERT_TRUE(out->value) << out->errorDescription().toStdString();
        const RecordedRequest& seen = server.requests().last();
        EXPECT_EQ(seen.method, "GET");
        EXPECT_EQ(QString::fromLatin1(seen.target),
                  "/macos/app/version?" + kQuery.arg(row.version, QString::number(row.build.number),
                                                     rawValue(row.language)));
        EXPECT_TRUE(seen.body.isEmpty());
        EXPECT_TRUE(seen.header("x-nivelo-device-id").isEmpty());
        EXPECT_TRUE(seen.header("content-type").isEmpty());
    }
}

TEST_F(UpdateClientTest, AnOriginWithoutAWebAddressFailsBeforeAnyRequest) {
    for (const QString bad : {"", "not an origin", "http://", "ftp://127.0.0.1", "file:///tmp",
                              "http://exa mple.com"}) {
        AppUpdateClient asking(bad, transport, clock, {"1.3", 120});
        auto out = runNetworkTask(asking.check(UiLanguage::en));
        EXPECT_EQ(out->errorDescription(), "Update URL is invalid.") << bad.toStdString();
    }
    EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(UpdateClientTest, ReadsA2xxAnswerIntoASnapshot) {
    using S = AppUpdateSnapshot;
    struct Row {
        QByteArray body;
        AppUpdateSnapshot expected;
        UiLanguage language = UiLanguage::en;
        qint64 build = 120;
    };
    const std::vector<Row> rows = {
        {"{}", {}},
        {R"({"ok":null,"title":null,"x":[1]})", {}},
        {R"({"latest_build":121,"latest_version":"1.4"})",
         {.updateAvailable = true, .latestVersion = "1.4", .latestBuild = 121}},
        // An explicit flag wins over the numbers.
        {R"({"update_available":false,"latest_build":999,"force_update":false,
             "min_supported_build":999})",
         {.latestBuild = 999}},
        {R"({"min_supported_build":120})", {}},
        {R"({"min_supported_build":121})", {.forceUpdate = true}},
        {R"({"latest_build":1.0})", S{.updateAvailable = true, .latestBuild = 1}, {}, 0},
        {R"({"title":"Hello"})", {.title = "Hello"}, UiLanguage::ru},
        {R"({"title":{"ru":"Привет"}})", {.title = "Привет"}},
        {R"({"title":{}})", {}},
        {R"({"message":{"en":"New","ru":""},"release_notes":{"en":"N","ru":"Р"}})",
         {.message = "", .releaseNotes = "Р"},
         UiLanguage::ru},
        {R"({"sha256":"abc","published_at":"2026-01-02"})",
         {.sha256 = "abc", .publishedAt = "2026-01-02"}},
        {R"({"download_url":"HTTPS://example.com/n.tar.gz"})",
         {.downloadURL = QUrl("https://example.com/n.tar.gz")}},
        // Only web addresses reach the desktop's opener.
        {R"({"download_url":"file:///etc/passwd"})", {}},
        {R"({"download_url":"nivelo-helper://run?x=1"})", {}},
        {R"({"download_url":"/downloads/n.tar.gz"})", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.body.toStdString());
        server.enqueue(CannedReply::json(200, row.body));
        AppUpdateClient asking = client(row.build);
        auto out = runNetworkTask(asking.check(row.language));
        ASSERT_TRUE(out->value) << out->errorDescription().toStdString();
        AppUpdateSnapshot expected = row.expected;
        expected.checkedAt = clock.currentDateTime();
        EXPECT_TRUE(*out->value == expected);
    }
}

TEST_F(UpdateClientTest, FailsOnAnUnreadableRefusedOrFailedAnswer) {
    const QString unreadable = "The server's answer could not be read.";
    const QString refused = "Update check failed.";
    const std::vector<std::tuple<int, QByteArray, QString>> rows = {
        {200, R"({"latest_build":"121"})", unreadable},
        {200, R"({"latest_build":121.5})", unreadable},
        {200, R"({"latest_build":9223372036854775808})", unreadable},
        {200, R"({"ok":1})", unreadable},
        {200, R"({"title":5})", unreadable},
        {200, "[]", unreadable},
        {204, "", unreadable},
        {200, R"({"ok":false,"error":"Banned build"})", "Banned build"},
        {200, R"({"ok":false,"error":""})", refused},
        {200, R"({"ok":false,"error":" \n"})", refused},
        {200, R"({"ok":false})", refused},
        {503, R"({"error":"Maintenance"})", "Maintenance"},
        {503, R"({"error":""})", "Update server returned HTTP 503."},
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
    // Silent: nothing after the request.
    server.enqueue(CannedReply::never());
    AppUpdateClient asking = client();
    auto silent = startTask(asking.check(UiLanguage::en));
    ASSERT_TRUE(waitUntil([&] { return server.requestCount() == 1; }));
    clock.advance(19'999);
    EXPECT_FALSE(silent->done);
    clock.advance(1);
    ASSERT_TRUE(waitUntil([&] { return silent->done; }));
    EXPECT_EQ(silent->errorDescription(), "The request timed out.");

    // Trickling: a byte every few real milliseconds keeps it from going idle, not forever. Qt
    // reports progress at most every 100 ms, hence the real pauses between the steps.
    CannedReply trickle = CannedReply::json(200, QByteArray(500, ' ') + "{}");
    trickle.trickleMs = 5;
    server.enqueue(trickle);
    auto slow = startTask(asking.check(UiLanguage::en));
    ASSERT_TRUE(waitUntil([&] { return server.requestCount() == 2; }));
    for (const qint64 step : {10'000, 10'000, 9'999}) {
        waitUntil([] { return false; }, 150);
        clock.advance(step);
        EXPECT_FALSE(slow->done) << step << " " << slow->errorDescription().toStdString();
    }
    clock.advance(1);
    ASSERT_TRUE(waitUntil([&] { return slow->done; }));
    EXPECT_EQ(slow->errorDescription(), "The request timed out.");
}
