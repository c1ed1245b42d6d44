#include <gtest/gtest.h>

#include <csignal>
#include <vector>

#include "app/TerminationSignals.h"
#include "support/EventWait.h"

// The process is not killed: the signal arrives on the event loop instead, and the earlier
// handler comes back afterwards.
TEST(TerminationSignals, TermAndIntArriveOnTheEventLoop) {
    struct sigaction before = {}, after = {};
    ::sigaction(SIGTERM, nullptr, &before);
    for (int signalNumber : {SIGTERM, SIGINT}) {
        TerminationSignals watcher;
        std::vector<int> received;
        QObject::connect(&watcher, &TerminationSignals::terminationRequested,
                         [&](int number) { received.push_back(number); });
        std::raise(signalNumber);
        waitUntil([&] { return !received.empty(); }, 3000);
        EXPECT_EQ(received, std::vector<int>{signalNumber});
    }
    ::sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}
