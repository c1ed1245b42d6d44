#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <csignal>
#include <vector>

#include "app/TerminationSignals.h"

namespace {

std::vector<int> raiseAndCollect(TerminationSignals& watcher, int signalNumber) {
    std::vector<int> received;
    QObject::connect(&watcher, &TerminationSignals::terminationRequested,
                     [&](int number) { received.push_back(number); });
    std::raise(signalNumber);
    QElapsedTimer elapsed;
    elapsed.start();
    while (received.empty() && elapsed.elapsed() < 3000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return received;
}

}  // namespace

// The process is not killed: the signal arrives on the event loop instead.
TEST(TerminationSignals, TermAndIntArriveOnTheEventLoop) {
    for (int signalNumber : {SIGTERM, SIGINT}) {
        TerminationSignals watcher;
        ASSERT_TRUE(watcher.isActive());
        EXPECT_EQ(raiseAndCollect(watcher, signalNumber), std::vector<int>{signalNumber});
    }
}

TEST(TerminationSignals, TheEarlierHandlersComeBackAfterwards) {
    struct sigaction before = {};
    ::sigaction(SIGTERM, nullptr, &before);
    {
        TerminationSignals watcher;
        struct sigaction during = {};
        ::sigaction(SIGTERM, nullptr, &during);
        EXPECT_NE(during.sa_handler, before.sa_handler);
    }
    struct sigaction after = {};
    ::sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}
