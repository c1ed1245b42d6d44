#include <gtest/gtest.h>

#include <QTcpServer>

#include "platform/QtHttpTransport.h"
#include "platform/RealClock.h"
#include "support/EventWait.h"
#include "support/LoopbackHttpServer.h"
#include "support/VirtualClock.h"

namespace {

HttpRequest postTo(const QUrl& url, QByteArray body = "{}", qint64 timeoutMs = 60'000) {
    HttpRequest request;
    request.url = url;
    request.headers = {{"Content-Type", "application/json"}, {"x-nivelo-device-id", "dev-1"}};
    request.body = std::move(body);
    request.timeoutMs = timeoutMs;
    return request;
}

HttpTransportErrorKind errorKind(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const HttpTransportError& e) {
        return e.kind();
    }
}

}  // namespace

TEST(HttpTransport, PostsTheHeadersAndTheExactBodyAndReturnsStatusAndBody) {
    LoopbackHttpServer server;
    server.enqueue(CannedReply::json(201, R"({"result":"ok"})"));
    VirtualClock clock;
    QtHttpTransport transport(clock);
    const QByteArray body = "{\"text\":\"Привет\\n\",\"a\":1}";

    auto out = runNetworkTask(transport.post(postTo(server.url(), body)));

    ASSERT_TRUE(out->done);
    ASSERT_FALSE(out->error) << out->errorDescription().toStdString();
    EXPECT_EQ(out->value->status, 201);
    EXPECT_EQ(out->value->body, R"({"result":"ok"})");
    ASSERT_EQ(server.requestCount(), 1);
    const RecordedRequest& seen = server.requests().first();
    EXPECT_EQ(seen.method, "POST");
    EXPECT_EQ(seen.target, "/macos/ai");
    EXPECT_EQ(seen.body, body);
    EXPECT_EQ(seen.header("content-type"), "application/json");
    EXPECT_EQ(seen.header("X-Nivelo-Device-Id"), "dev-1");
}

TEST(HttpTransport, ErrorStatusesAreAnswersWithTheirBodies) {
    LoopbackHttpServer server;
    server.enqueue(CannedReply::json(404, "{}"));
    server.enqueue(CannedReply::json(500, R"({"error":"boom"})"));
    server.enqueue(CannedReply::text(502, "<html>Bad Gateway</html>"));
    server.enqueue(CannedReply::json(401, "{}"));
    VirtualClock clock;
    QtHttpTransport transport(clock);

    for (const auto& [status, body] :
         std::vector<std::pair<int, QByteArray>>{{404, "{}"},
                                                 {500, R"({"error":"boom"})"},
                                                 {502, "<html>Bad Gateway</html>"},
                                                 {401, "{}"}}) {
        auto out = runNetworkTask(transport.post(postTo(server.url())));
        ASSERT_TRUE(out->done);
        ASSERT_FALSE(out->error) << status << " " << out->errorDescription().toStdString();
        EXPECT_EQ(out->value->status, status);
        EXPECT_EQ(out->value->body, body);
    }
}

TEST(HttpTransport, DroppedConnectionFailsWithTheNetworkLayersText) {
    LoopbackHttpServer server;
    server.setHandler([](const RecordedRequest&) { return CannedReply::drop(); });
    VirtualClock clock;
    QtHttpTransport transport(clock);

    auto out = runNetworkTask(transport.post(postTo(server.url())));

    ASSERT_TRUE(out->done);
    ASSERT_TRUE(out->error);
    EXPECT_EQ(errorKind(out->error), HttpTransportErrorKind::failed);
    EXPECT_FALSE(out->errorDescription().isEmpty());
    EXPECT_NE(out->errorDescription(), "The request timed out.");
    // Qt reconnects once by itself when a connection closes before any answer.
    EXPECT_LE(server.requestCount(), 2);
}

TEST(HttpTransport, RefusedConnectionFailsWithTheNetworkLayersText) {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    VirtualClock clock;
    QtHttpTransport transport(clock);

    auto out = runNetworkTask(
        transport.post(postTo(QUrl(QStringLiteral("http://127.0.0.1:%1/macos/ai").arg(port)))));

    ASSERT_TRUE(out->done);
    ASSERT_TRUE(out->error);
    EXPECT_EQ(errorKind(out->error), HttpTransportErrorKind::failed);
    EXPECT_TRUE(out->errorDescription().contains("refused", Qt::CaseInsensitive))
        << out->errorDescription().toStdString();
}

TEST(HttpTransport, SilentServerTimesOutAfterTheRequestsSixtySeconds) {
    LoopbackHttpServer server;
    server.enqueue(CannedReply::never());
    VirtualClock clock;
    QtHttpTransport transport(clock);

    auto out = startTask(transport.post(postTo(server.url())));
    ASSERT_TRUE(waitUntil([&] { return server.requestCount() == 1; }));
    clock.advance(59'999);
    EXPECT_FALSE(out->done);
    clock.advance(1);
    ASSERT_TRUE(waitUntil([&] { return out->done; }));
    ASSERT_TRUE(out->error);
    EXPECT_EQ(errorKind(out->error), HttpTransportErrorKind::timedOut);
    EXPECT_EQ(out->errorDescription(), "The request timed out.");
}

TEST(HttpTransport, WithoutItsOwnTimeOutARequestWaitsForTheSessionIdleLimit) {
    LoopbackHttpServer server;
    server.enqueue(CannedReply::never());
    VirtualClock clock;
    QtHttpTransport transport(clock);

    auto out = startTask(transport.post(postTo(server.url(), "{}", 0)));
    ASSERT_TRUE(waitUntil([&] { return server.requestCount() == 1; }));
    clock.advance(89'999);
    EXPECT_FALSE(out->done);
    clock.advance(1);
    ASSERT_TRUE(waitUntil([&] { return out->done; }));
    EXPECT_EQ(out->errorDescription(), "The request timed out.");
}

TEST(HttpTransport, DataThatKeepsMovingOutlastsTheIdleLimit) {
    LoopbackHttpServer server;
    CannedReply slow = CannedReply::result("trickled");
    slow.trickleMs = 40;  // about 0.8 s for the whole body, idle limit 0.3 s
    server.enqueue(slow);
    RealClock clock;
    QtHttpTransport transport(clock, {.idleMs = 300, .totalMs = 5'000});

    auto out = runNetworkTask(transport.post(postTo(server.url(), "{}", 0)));

    ASSERT_TRUE(out->done);
    ASSERT_FALSE(out->error) << out->errorDescription().toStdString();
    EXPECT_EQ(out->value->body, R"({"result":"trickled"})");
}

TEST(HttpTransport, TheSessionTotalLimitEndsAnExchangeThatNeverGoesIdle) {
    LoopbackHttpServer server;
    CannedReply slow = CannedReply::json(200, QByteArray(200, ' ') + "{}");
    slow.trickleMs = 20;  // about 4 s for the whole body, total limit 0.5 s
    server.enqueue(slow);
    RealClock clock;
    QtHttpTransport transport(clock, {.idleMs = 300, .totalMs = 500});

    auto out = runNetworkTask(transport.post(postTo(server.url(), "{}", 0)));

    ASSERT_TRUE(out->done);
    EXPECT_EQ(out->errorDescription(), "The request timed out.");
}

TEST(HttpTransport, AnAnswerThatIsSlowToStartStillArrivesWithinTheLimits) {
    LoopbackHttpServer server;
    CannedReply late = CannedReply::result("late");
    late.delayMs = 100;
    server.enqueue(late);
    RealClock clock;
    QtHttpTransport transport(clock, {.idleMs = 2'000, .totalMs = 5'000});

    auto out = runNetworkTask(transport.post(postTo(server.url())));

    ASSERT_FALSE(out->error) << out->errorDescription().toStdString();
    EXPECT_EQ(out->value->body, R"({"result":"late"})");
}
