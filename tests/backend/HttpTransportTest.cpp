#include <gtest/gtest.h>
#include <QTcpServer>
#include <QUuid>

#include "backend/BackendEndpoint.h"
#include "platform/Cld2LanguageRecognizer.h"
#include "platform/MemoryDefaults.h"
#include "platform/QtHttpTransport.h"
#include "platform/RealClock.h"
#include "support/EventWait.h"
#include "support/LoopbackHttpServer.h"
#include "support/VirtualClock.h"

namespace {

HttpRequest postTo(const QUrl& url, QByteArray body = "{}", qint64 timeoutMs = 60'000) {
    return {url,
            {{"Content-Type", "application/json"}, {"x-nivelo-device-id", "dev-1"}},
            body,
            timeoutMs};
}

class HttpTransportOverLoopback : public ::testing::Test {
protected:
    LoopbackHttpServer server;
    VirtualClock clock;
    QtHttpTransport transport{clock};
};

}  // namespace

// The exact request goes out; every status comes back as an answer with its body, whatever
// error Qt makes of it (a redirect without Location has nothing to follow).
TEST_F(HttpTransportOverLoopback, PostsTheExactRequestAndReturnsEveryStatusWithItsBody) {
    const QByteArray sent = "{\"text\":\"Привет\\n\",\"a\":1}";
    for (int status : {201, 302, 399, 400, 404, 429, 500, 599}) {
        const QByteArray body = status < 400 ? QByteArray() : R"({"error":"Text is too long."})";
        server.enqueue(CannedReply::json(status, body));
        auto out = runNetworkTask(transport.post(postTo(server.url(), sent)));
        ASSERT_TRUE(out->value) << status << out->errorDescription().toStdString();
        EXPECT_EQ(out->value->status, status);
        EXPECT_EQ(out->value->body, body) << status;
    }
    const RecordedRequest& seen = server.requests().first();
    EXPECT_EQ(seen.target, "/macos/ai");
    EXPECT_EQ(seen.body, sent);
    EXPECT_EQ(seen.header("content-type"), "application/json");
    EXPECT_EQ(seen.header("X-Nivelo-Device-Id"), "dev-1");
}

TEST_F(HttpTransportOverLoopback, ARefusedConnectionFailsWithTheNetworkLayersText) {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const QUrl refused(QStringLiteral("http://127.0.0.1:%1/macos/ai").arg(probe.serverPort()));
    probe.close();
    auto out = runNetworkTask(transport.post(postTo(refused)));
    EXPECT_TRUE(out->errorDescription().contains("refused", Qt::CaseInsensitive))
        << out->errorDescription().toStdString();
}

TEST_F(HttpTransportOverLoopback,
       SilentServerTimesOutAfterSixtySecondsOrWithoutItsOwnAfterTheIdleLimit) {
    for (const auto& [timeoutMs, limitMs] :
         std::vector<std::pair<qint64, qint64>>{{60'000, 60'000}, {0, 90'000}}) {
        const int before = server.requestCount();
        server.enqueue(CannedReply::never());
        auto out = startTask(transport.post(postTo(server.url(), "{}", timeoutMs)));
        ASSERT_TRUE(waitUntil([&] { return server.requestCount() == before + 1; }));
        clock.advance(limitMs - 1);
        EXPECT_FALSE(out->done);
        clock.advance(1);
        ASSERT_TRUE(waitUntil([&] { return out->done; }));
        EXPECT_EQ(out->errorDescription(), "The request timed out.");
    }
}

// Against real-time slow answers: data that starts late and keeps moving outlasts the idle
// limit; the session's total limit ends an exchange that never goes idle.
TEST(HttpTransportLimits, TheIdleLimitWaitsForMovingDataAndTheTotalLimitDoesNot) {
    CannedReply trickled = CannedReply::result("trickled");
    trickled.delayMs = 100;
    trickled.trickleMs = 40;  // about 0.8 s for the whole body, idle limit 0.3 s
    CannedReply endless = CannedReply::json(200, QByteArray(200, ' ') + "{}");
    endless.trickleMs = 20;  // about 4 s for the whole body, total limit 2 s
    for (const auto& [reply, expected] : {std::pair{trickled, QString(R"({"result":"trickled"})")},
                                          std::pair{endless, QString("The request timed out.")}}) {
        LoopbackHttpServer server;
        server.enqueue(reply);
        RealClock clock;
        QtHttpTransport transport(clock, {.idleMs = 300, .totalMs = 2'000});
        auto out = runNetworkTask(transport.post(postTo(server.url(), "{}", 0)));
        EXPECT_EQ(out->error ? out->errorDescription() : QString(out->value->body), expected);
    }
}

// A body past the request's cap (or, without one, the session's) ends the exchange as an
// answer that could not be read, whether its length is announced or it only streams until the
// connection closes; a body of exactly the cap arrives whole. A server that never stops is
// left long before it has sent everything.
TEST(HttpTransportLimits, ABodyPastItsCapEndsTheExchangeUnread) {
    constexpr qint64 kCap = 1024 * 1024;
    const QByteArray json = R"({"result":"x"})";
    const struct {
        const char* name;
        qint64 requestCap;
        qint64 bodyBytes;
        bool streamed;
        bool arrives;
    } rows[] = {
        {"announced, at the cap", kCap, kCap, false, true},
        {"announced, one byte more", kCap, kCap + 1, false, false},
        {"streamed, at the cap", kCap, kCap, true, true},
        {"streamed, one byte more", kCap, kCap + 1, true, false},
        {"streamed, the session's cap", 0, kCap + 1, true, false},
        {"streamed, a smaller request cap", kCap / 2, kCap / 2 + 1, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackHttpServer server;
        CannedReply reply = CannedReply::json(200, json);
        if (row.streamed) {
            reply.streamBytes = row.bodyBytes - json.size();
        } else {
            reply.body += QByteArray(row.bodyBytes - json.size(), ' ');
        }
        server.enqueue(reply);
        VirtualClock clock;
        QtHttpTransport transport(clock, {.maxBodyBytes = kCap});
        HttpRequest request = postTo(server.url());
        request.maxBodyBytes = row.requestCap;
        auto out = runNetworkTask(transport.post(std::move(request)), 60'000);
        ASSERT_TRUE(out->done);
        if (row.arrives) {
            ASSERT_TRUE(out->value) << out->errorDescription().toStdString();
            EXPECT_EQ(out->value->body.size(), row.bodyBytes);
            EXPECT_TRUE(out->value->body.startsWith(json));
        } else {
            EXPECT_EQ(out->errorDescription(), "The server's answer could not be read.");
        }
    }
    // A server with 128 MiB to send is left after about the cap and what the sockets hold.
    LoopbackHttpServer server;
    CannedReply endless = CannedReply::json(200, json);
    endless.streamBytes = 128 * kCap;
    server.enqueue(endless);
    VirtualClock clock;
    QtHttpTransport transport(clock);
    HttpRequest request = postTo(server.url());
    request.maxBodyBytes = kCap;
    auto out = runNetworkTask(transport.post(std::move(request)), 60'000);
    EXPECT_EQ(out->errorDescription(), "The server's answer could not be read.");
    EXPECT_GT(server.streamedBytes(), kCap);
    EXPECT_LT(server.streamedBytes(), 64 * kCap);
}

TEST(BackendEndpoint, TheEnvironmentOverridesTheBuiltInOrigin) {
    qputenv("NIVELO_BACKEND_ORIGIN", " http://127.0.0.1:8080/ ");
    EXPECT_EQ(BackendEndpoint::aiURL(), "http://127.0.0.1:8080/macos/ai");
    qunsetenv("NIVELO_BACKEND_ORIGIN");
}

// A UUID made once and kept; a stored one is kept only in the exact canonical form (in either
// case), anything else is replaced by a fresh one, which is stored.
TEST(BackendEndpoint, TheInstallationIdIsAUuidMadeOnceAndKept) {
    const QString uuid = "0f8fad5b-d9cb-469f-a165-70867728950e";
    for (const auto& [stored, kept] :
         std::vector<std::pair<QString, bool>>{{QString(), false},
                                               {"0F8FAD5B-d9cb-469F-a165-70867728950E", true},
                                               {uuid + "\r\nX-Injected: 1", false},
                                               {"{" + uuid + "}", false}}) {
        MemoryDefaults defaults;
        defaults.setString("nivelo.deviceId", stored);
        const QString sent = BackendEndpoint::installationId(defaults);
        EXPECT_EQ(defaults.stringValue("nivelo.deviceId"), sent);
        EXPECT_EQ(BackendEndpoint::installationId(defaults), sent);
        EXPECT_EQ(sent == stored, kept) << stored.toStdString();
        EXPECT_FALSE(QUuid::fromString(sent).isNull()) << sent.toStdString();
        EXPECT_EQ(sent.size(), 36);
    }
}

TEST(LanguageRecognition, NamesTheLanguageOfAClearTextAndNothingWhenUnsure) {
    Cld2LanguageRecognizer recognizer;
    EXPECT_EQ(recognizer.dominantLanguage("Ты придешь завтра на встречу?"), "ru");
    for (const char* unclear : {"👍", "1234", ""}) {
        EXPECT_EQ(recognizer.dominantLanguage(unclear), "");
    }
}
