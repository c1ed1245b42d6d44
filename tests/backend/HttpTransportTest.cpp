#include <gtest/gtest.h>

#include <QTcpServer>

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

HttpTransportErrorKind errorKind(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const HttpTransportError& e) {
        return e.kind();
    }
}

class HttpTransportOverLoopback : public ::testing::Test {
protected:
    LoopbackHttpServer server;
    VirtualClock clock;
    QtHttpTransport transport{clock};
};

}  // namespace

// Any other status comes back as an answer too (see the status test).
TEST_F(HttpTransportOverLoopback, PostsTheExactRequestAndReturnsTheStatusWithItsBody) {
    const QByteArray sent = "{\"text\":\"Привет\\n\",\"a\":1}";
    server.enqueue(CannedReply::text(201, R"({"result":"ok"})"));
    auto out = runNetworkTask(transport.post(postTo(server.url(), sent)));
    ASSERT_TRUE(out->value) << out->errorDescription().toStdString();
    EXPECT_EQ(out->value->status, 201);
    EXPECT_EQ(out->value->body, R"({"result":"ok"})");
    const RecordedRequest& seen = server.requests().first();
    EXPECT_EQ(seen.method, "POST");
    EXPECT_EQ(seen.target, "/macos/ai");
    EXPECT_EQ(seen.body, sent);
    EXPECT_EQ(seen.header("content-type"), "application/json");
    EXPECT_EQ(seen.header("X-Nivelo-Device-Id"), "dev-1");
}

TEST_F(HttpTransportOverLoopback, DroppedOrRefusedConnectionsFailWithTheNetworkLayersText) {
    server.setHandler([](const RecordedRequest&) { return CannedReply::drop(); });
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const QUrl refused(QStringLiteral("http://127.0.0.1:%1/macos/ai").arg(probe.serverPort()));
    probe.close();
    auto dropped = runNetworkTask(transport.post(postTo(server.url())));
    auto refusedOut = runNetworkTask(transport.post(postTo(refused)));
    for (const auto& out : {dropped, refusedOut}) {
        ASSERT_TRUE(out->done);
        ASSERT_TRUE(out->error);
        EXPECT_EQ(errorKind(out->error), HttpTransportErrorKind::failed);
    }
    EXPECT_FALSE(dropped->errorDescription().isEmpty());
    EXPECT_NE(dropped->errorDescription(), "The request timed out.");
    // Qt reconnects once by itself when a connection closes before any answer.
    EXPECT_LE(server.requestCount(), 2);
    EXPECT_TRUE(refusedOut->errorDescription().contains("refused", Qt::CaseInsensitive))
        << refusedOut->errorDescription().toStdString();
}

TEST_F(HttpTransportOverLoopback,
       SilentServerTimesOutAfterSixtySecondsOrWithoutItsOwnAfterTheIdleLimit) {
    for (const auto& [timeoutMs, limitMs] :
         std::vector<std::pair<qint64, qint64>>{{60'000, 60'000}, {0, 90'000}}) {
        SCOPED_TRACE(timeoutMs);
        const int before = server.requestCount();
        server.enqueue(CannedReply::never());
        auto out = startTask(transport.post(postTo(server.url(), "{}", timeoutMs)));
        ASSERT_TRUE(waitUntil([&] { return server.requestCount() == before + 1; }));
        clock.advance(limitMs - 1);
        EXPECT_FALSE(out->done);
        clock.advance(1);
        ASSERT_TRUE(waitUntil([&] { return out->done; }));
        ASSERT_TRUE(out->error);
        EXPECT_EQ(errorKind(out->error), HttpTransportErrorKind::timedOut);
        EXPECT_EQ(out->errorDescription(), "The request timed out.");
    }
}

// Runs one request without its own time-out against a real-time slow answer.
static std::shared_ptr<TaskOutcome<HttpResponse>> postSlowly(CannedReply reply,
                                                             QtHttpTransport::Limits limits) {
    LoopbackHttpServer server;
    server.enqueue(std::move(reply));
    RealClock clock;
    QtHttpTransport transport(clock, limits);
    return runNetworkTask(transport.post(postTo(server.url(), "{}", 0)));
}

TEST(HttpTransportLimits, DataThatStartsLateAndKeepsMovingOutlastsTheIdleLimit) {
    CannedReply slow = CannedReply::result("trickled");
    slow.delayMs = 100;
    slow.trickleMs = 40;  // about 0.8 s for the whole body, idle limit 0.3 s
    auto out = postSlowly(slow, {.idleMs = 300, .totalMs = 5'000});
    ASSERT_TRUE(out->done);
    ASSERT_FALSE(out->error) << out->errorDescription().toStdString();
    EXPECT_EQ(out->value->body, R"({"result":"trickled"})");
}

TEST(HttpTransportLimits, TheSessionTotalLimitEndsAnExchangeThatNeverGoesIdle) {
    CannedReply slow = CannedReply::json(200, QByteArray(200, ' ') + "{}");
    slow.trickleMs = 20;  // about 4 s for the whole body, total limit 0.5 s
    EXPECT_EQ(postSlowly(slow, {.idleMs = 300, .totalMs = 500})->errorDescription(),
              "The request timed out.");
}
