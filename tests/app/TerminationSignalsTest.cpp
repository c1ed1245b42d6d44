#include <gtest/gtest.h>

#include <QCoreApplication>
#include <csignal>
#include <vector>

#include "app/TerminationSignals.h"
#include "support/EventWait.h"

// The process is not killed: the signal arrives on the event loop instead.
TEST(TerminationSignals, TermAndIntArriveOnTheEventLoop) {
    for (int signalNumber : {SIGTERM, SIGINT}) {
        TerminationSignals watcher;
        ASSERT_TRUE(watcher.isActive());
        std::vector<int> received;
        QObject::connect(&watcher, &TerminationSignals::terminationRequested,
                         [&](int number) { received.push_back(number); });
        std::raise(signalNumber);
        waitUntil([&] { return !received.empty(); }, 3000);
        EXPECT_EQ(received, std::vector<int>{signalNumber});
    }
}

TEST(TerminationSignals, TheEarlierHandlersComeBackAfterwards) {
    struct sigaction before = {}, during = {}, after = {};
    ::sigaction(SIGTERM, nullptr, &before);
    {
        TerminationSignals watcher;
        ::sigaction(SIGTERM, nullptr, &during);
    }
    ::sigaction(SIGTERM, nullptr, &after);
    EXPECT_NE(during.sa_handler, before.sa_handler);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}
