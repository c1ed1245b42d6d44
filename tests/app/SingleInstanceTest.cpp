#include <gtest/gtest.h>

#include <QFile>
#include <QLocalSocket>
#include <QSysInfo>
#include <QTemporaryDir>
#include <csignal>
#include <optional>

#include "app/SingleInstance.h"
#include "app/TerminationSignals.h"
#include "support/EventWait.h"
#include "support/VirtualClock.h"

namespace {

class SingleInstanceTest : public ::testing::Test {
protected:
    SingleInstance::Paths paths() const {
        return SingleInstance::pathsFor(dir_.path(), 1000, ":0");
    }
    // A later launch asking the running one to show its window; answered_ holds the outcome.
    void startHandOver() {
        QObject::connect(&handOver_, &InstanceHandOver::finished,
                         [this](bool ok) { answered_ = ok; });
        handOver_.start();
    }

    QTemporaryDir dir_;
    VirtualClock clock_;
    InstanceHandOver handOver_{paths().socket, clock_};
    std::optional<bool> answered_;
};

}  // namespace

// In the runtime folder when there is one, else in /tmp named by user and display.
TEST(SingleInstancePaths, LiveInTheRuntimeFolderOrFallBackToTmpNamedByUserAndDisplay) {
    QTemporaryDir dir;
    EXPECT_EQ(SingleInstance::pathsFor(dir.path(), 1000, ":0").socket,
              dir.filePath("ai.nivelo.native.socket"));
    const auto paths = SingleInstance::pathsFor("/nonexistent/runtime", 1000, ":1.0");
    EXPECT_EQ(paths.socket, "/tmp/ai.nivelo.native-1000-_1.0.socket");
    EXPECT_FALSE(SingleInstance::pathsFor("", 1000, "../../x").lock.contains("../"));
}

// A lock left by a dead process or one that cannot be written is no other instance; a
// left-over socket file does not stop the holder from listening.
TEST_F(SingleInstanceTest, OnlyOneHolderAtATimeListens) {
    QFile lock(paths().lock), stale(paths().socket);
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly) && stale.open(QIODevice::WriteOnly));
    lock.write("2147480000\nnivelo\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    auto first = std::make_unique<SingleInstance>(paths());
    SingleInstance second(paths());
    EXPECT_TRUE(first->acquire());
    EXPECT_FALSE(second.acquire());
    EXPECT_TRUE(second.isHeldElsewhere());
    EXPECT_FALSE(second.listen());
    EXPECT_TRUE(first->listen());
    first.reset();
    EXPECT_TRUE(second.acquire());

    SingleInstance unwritable(
        {dir_.filePath("missing/nivelo.lock"), dir_.filePath("missing/nivelo.socket")});
    EXPECT_FALSE(unwritable.acquire());
    EXPECT_FALSE(unwritable.isHeldElsewhere());
}

// A later launch asks the running one to show its window, waiting for one still starting;
// other traffic on the socket shows nothing.
TEST_F(SingleInstanceTest, ALaterLaunchAsksTheRunningOneToShowItsWindow) {
    SingleInstance first(paths());
    ASSERT_TRUE(first.acquire());
    int shows = 0;
    QObject::connect(&first, &SingleInstance::showRequested, [&] { ++shows; });
    startHandOver();
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::processEvents();
    }
    clock_.advance(InstanceHandOver::kRetryMs * 3);
    EXPECT_FALSE(answered_.has_value());
    ASSERT_TRUE(first.listen());
    clock_.advance(InstanceHandOver::kRetryMs);
    ASSERT_TRUE(waitUntil([&] { return answered_.has_value(); }));
    EXPECT_TRUE(*answered_);
    EXPECT_EQ(shows, 1);

    QLocalSocket client;
    client.connectToServer(paths().socket);
    ASSERT_TRUE(waitUntil([&] { return client.state() == QLocalSocket::ConnectedState; }));
    client.write("quit\n");
    EXPECT_TRUE(waitUntil([&] { return client.state() == QLocalSocket::UnconnectedState; }));
    EXPECT_EQ(shows, 1);
}

TEST_F(SingleInstanceTest, TheHandOverGivesUpWhenNoOneAnswers) {
    startHandOver();
    clock_.advance(InstanceHandOver::kTimeoutMs - InstanceHandOver::kRetryMs);
    EXPECT_FALSE(answered_.has_value());
    clock_.advance(InstanceHandOver::kRetryMs);
    ASSERT_TRUE(answered_.has_value());
    EXPECT_FALSE(*answered_);
}

// The process is not killed: the signal arrives on the event loop instead, and the earlier
// The process is not killed: the signal arrives on the event loop instead (SIGTERM likewise),
// and the earlier handler comes back afterwards.
TEST(TerminationSignals, ArriveOnTheEventLoopAndGiveTheEarlierHandlerBack) {
    struct sigaction before = {}, after = {};
    ::sigaction(SIGINT, nullptr, &before);
    {
        TerminationSignals watcher;
        int received = 0;
        QObject::connect(&watcher, &TerminationSignals::terminationRequested,
                         [&](int number) { received = number; });
        std::raise(SIGINT);
        EXPECT_TRUE(waitUntil([&] { return received == SIGINT; }, 3000));
    }
    ::sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}
