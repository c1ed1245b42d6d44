// Every status the server sends is an answer, whatever error Qt makes of it.

#include <gtest/gtest.h>

#include "platform/QtHttpTransport.h"
#include "support/EventWait.h"
#include "support/LoopbackHttpServer.h"
#include "support/VirtualClock.h"

TEST(HttpStatus, EveryRedirectErrorAndServerStatusComesBackWithItsBody) {
    LoopbackHttpServer server;
    VirtualClock clock;
    QtHttpTransport transport(clock);
    const QByteArray error = R"({"error":"Text is too long."})";
    QList<std::pair<int, QByteArray>> cases;
    for (int status = 300; status < 400; ++status) {
        cases.append({status, QByteArray()});  // no Location: nothing to follow
    }
    for (int status = 400; status < 600; ++status) {
        cases.append({status, error});
    }
    for (const auto& [status, body] : cases) {
        server.enqueue(CannedReply::json(status, body));
        const auto out = runNetworkTask(
            transport.post({server.url(), {{"Content-Type", "application/json"}}, "{}", 60'000}));
        ASSERT_TRUE(out->done) << status;
        ASSERT_FALSE(out->error) << status << ": " << out->errorDescription().toStdString();
        EXPECT_EQ(out->value->status, status);
        EXPECT_EQ(out->value->body, body) << status;
    }
}
