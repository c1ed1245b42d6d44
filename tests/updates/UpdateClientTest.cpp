#include <gtest/gtest.h>

#include <ostream>

#include "platform/QtHttpTransport.h"
#include "support/EventWait.h"
#include "support/LoopbackHttpServer.h"
#include "support/QtPrinters.h"
#include "support/VirtualClock.h"
#include "updates/AppUpdateClient.h"

inline void PrintTo(const AppUpdateSnapshot& s, std::ostream* os) {
    auto text = [](const std::optional<QString>& t) {
        return t ? '"' + t->toStdString() + '"' : std::string("none");
    };
    *os << "{available " << s.updateAvailable << ", force " << s.forceUpdate << ", version "
        << text(s.latestVersion) << ", build " << (s.latestBuild ? *s.latestBuild : -1) << ", url "
        << (s.downloadURL ? s.downloadURL->toString().toStdString() : "none") << ", title "
        << text(s.title) << ", message " << text(s.message) << ", notes " << text(s.releaseNotes)
        << ", sha " << text(s.sha256) << "}";
}

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
        EXPECT_FALSE(seen.hasHeader("x-nivelo-device-id"));
        EXPECT_FALSE(seen.hasHeader("content-type"));
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

TEST_F(UpdateClientTest, ReadsEachAnswerIntoASnapshotOrTheRightFailure) {
    const QString decoding = "The server's answer could not be read.";
    struct Row {
        const char* name;
        int status;
        QByteArray body;
        QString error;  // empty: the check succeeds with `expected`
        AppUpdateSnapshot expected = {};
        UiLanguage language = UiLanguage::en;
        qint64 build = 120;
    };
    const std::vector<Row> rows = {
        {"empty object", 200, "{}", {}},
        {"nulls are absent", 200, R"({"ok":null,"latest_build":null,"title":null})", {}},
        {"unknown keys ignored", 200, R"({"ok":true,"extra":[1,{"a":2}]})", {}},
        {"newer build",
         200,
         R"({"latest_build":121,"latest_version":"1.4"})",
         {},
         {.updateAvailable = true, .latestVersion = "1.4", .latestBuild = 121}},
        {"same build", 200, R"({"latest_build":120})", {}, {.latestBuild = 120}},
        {"explicit flags win",
         200,
         R"({"update_available":false,"latest_build":999,"force_update":false,
             "min_supported_build":999})",
         {},
         {.latestBuild = 999}},
        {"explicit flags without numbers",
         200,
         R"({"update_available":true,"force_update":true})",
         {},
         {.updateAvailable = true, .forceUpdate = true}},
        {"min supported equal", 200, R"({"min_supported_build":120})", {}, {}},
        {"min supported above", 200, R"({"min_supported_build":121})", {}, {.forceUpdate = true}},
        {"build 0 is older than any",
         200,
         R"({"latest_build":1})",
         {},
         {.updateAvailable = true, .latestBuild = 1},
         UiLanguage::en,
         0},
        {"whole number with a fraction part",
         200,
         R"({"latest_build":121.0})",
         {},
         {.updateAvailable = true, .latestBuild = 121}},
        {"title string in Russian too",
         200,
         R"({"title":"Hello"})",
         {},
         {.title = "Hello"},
         UiLanguage::ru},
        {"only ru serves en", 200, R"({"title":{"ru":"Привет"}})", {}, {.title = "Привет"}},
        {"empty title object", 200, R"({"title":{}})", {}, {}},
        {"own language even empty",
         200,
         R"({"message":{"en":"New","ru":""},"release_notes":{"en":"Notes","ru":"Заметки"}})",
         {},
         {.message = "", .releaseNotes = "Заметки"},
         UiLanguage::ru},
        {"carried texts",
         200,
         R"({"sha256":"abc","published_at":"2026-01-02"})",
         {},
         {.sha256 = "abc", .publishedAt = "2026-01-02"}},
        {"https download",
         200,
         R"({"download_url":"HTTPS://example.com/n.tar.gz"})",
         {},
         {.downloadURL = QUrl("https://example.com/n.tar.gz")}},
        {"file download", 200, R"({"download_url":"file:///etc/passwd"})", {}, {}},
        {"custom scheme download", 200, R"({"download_url":"nivelo-helper://run?x=1"})", {}, {}},
        {"relative download", 200, R"({"download_url":"/downloads/n.tar.gz"})", {}, {}},
        {"no url at all", 200, R"({"download_url":"not a url"})", {}, {}},
        {"build as a string", 200, R"({"latest_build":"121"})", decoding},
        {"build with a fraction", 200, R"({"latest_build":121.5})", decoding},
        {"build beyond 64 bits", 200, R"({"latest_build":9223372036854775808})", decoding},
        {"flag from a number", 200, R"({"ok":1})", decoding},
        {"title as a number", 200, R"({"title":5})", decoding},
        {"title text of a wrong type", 200, R"({"title":{"en":true}})", decoding},
        {"not an object", 200, "[]", decoding},
        {"204 without a body", 204, "", decoding},
        {"refused with a message", 200, R"({"ok":false,"error":"Banned build"})", "Banned build"},
        {"refused with an empty message", 200, R"({"ok":false,"error":""})",
         "Update check failed."},
        {"refused with a blank message", 200, R"({"ok":false,"error":" \n"})",
         "Update check failed."},
        {"refused without a message", 200, R"({"ok":false})", "Update check failed."},
        {"503 with a message", 503, R"({"error":"Maintenance"})", "Maintenance"},
        {"503 with an empty message", 503, R"({"error":""})", "Update server returned HTTP 503."},
        {"502 page", 502, "<html>Bad Gateway</html>", "Update server returned HTTP 502."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        server.enqueue(CannedReply::json(row.status, row.body));
        AppUpdateClient asking = client(row.build);
        auto out = runNetworkTask(asking.check(row.language));
        ASSERT_TRUE(out->done);
        EXPECT_EQ(out->errorDescription(), row.error);
        if (row.error.isEmpty() && out->value) {
            AppUpdateSnapshot expected = row.expected;
            expected.checkedAt = clock.currentDateTime();
            EXPECT_EQ(*out->value, expected);
        }
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
