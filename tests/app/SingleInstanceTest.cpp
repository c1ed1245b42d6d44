#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QSysInfo>
#include <QTemporaryDir>
#include <functional>
#include <optional>

#include "app/SingleInstance.h"
#include "support/EventWait.h"
#include "support/VirtualClock.h"

namespace {

class SingleInstanceTest : public ::testing::Test {
protected:
    SingleInstance::Paths paths() const {
        return SingleInstance::pathsFor(dir_.path(), 1000, ":0");
    }
    QTemporaryDir dir_;
};

}  // namespace

TEST(SingleInstancePaths, LiveInTheRuntimeFolderWhenThereIsOne) {
    QTemporaryDir dir;
    const auto paths = SingleInstance::pathsFor(dir.path(), 1000, ":0");
    EXPECT_EQ(paths.lock, dir.filePath("ai.nivelo.native.lock"));
    EXPECT_EQ(paths.socket, dir.filePath("ai.nivelo.native.socket"));
}

TEST(SingleInstancePaths, FallBackToTmpNamedByUserAndDisplay) {
    const auto paths = SingleInstance::pathsFor("", 1000, ":1.0");
    EXPECT_EQ(paths.lock, "/tmp/ai.nivelo.native-1000-_1.0.lock");
    EXPECT_EQ(paths.socket, "/tmp/ai.nivelo.native-1000-_1.0.socket");
    EXPECT_NE(SingleInstance::pathsFor("", 1001, ":1.0").lock, paths.lock);
    EXPECT_NE(SingleInstance::pathsFor("", 1000, ":2").lock, paths.lock);
    // A runtime folder that is not there counts as none.
    EXPECT_EQ(SingleInstance::pathsFor("/nonexistent/runtime", 1000, ":1.0").lock, paths.lock);
    // Whatever $DISPLAY holds stays inside the file name.
    EXPECT_FALSE(SingleInstance::pathsFor("", 1000, "../../x").lock.contains("../"));
}

TEST_F(SingleInstanceTest, OnlyOneHolderAtATime) {
    auto first = std::make_unique<SingleInstance>(paths());
    SingleInstance second(paths());
    EXPECT_TRUE(first->acquire());
    EXPECT_TRUE(first->acquire());
    EXPECT_FALSE(second.acquire());
    EXPECT_TRUE(second.isHeldElsewhere());
    first.reset();
    EXPECT_TRUE(second.acquire());
}

TEST_F(SingleInstanceTest, ListeningNeedsTheLock) {
    SingleInstance holder(paths());
    SingleInstance other(paths());
    ASSERT_TRUE(holder.acquire());
    EXPECT_FALSE(other.listen());
    EXPECT_TRUE(holder.listen());
}

TEST_F(SingleInstanceTest, ALeftOverSocketFileDoesNotStopListening) {
    QFile stale(paths().socket);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    SingleInstance instance(paths());
    ASSERT_TRUE(instance.acquire());
    EXPECT_TRUE(instance.listen());
}

TEST_F(SingleInstanceTest, ALaterLaunchAsksTheRunningOneToShowItsWindow) {
    SingleInstance running(paths());
    ASSERT_TRUE(running.acquire());
    ASSERT_TRUE(running.listen());
    int shows = 0;
    QObject::connect(&running, &SingleInstance::showRequested, [&] { ++shows; });

    VirtualClock clock;
    InstanceHandOver handOver(paths().socket, clock);
    std::optional<bool> answered;
    QObject::connect(&handOver, &InstanceHandOver::finished, [&](bool ok) { answered = ok; });
    handOver.start();
    ASSERT_TRUE(waitUntil([&] { return answered.has_value(); }));
    EXPECT_TRUE(*answered);
    EXPECT_EQ(shows, 1);
}

TEST_F(SingleInstanceTest, TheHandOverWaitsForAnInstanceThatIsStillStarting) {
    SingleInstance running(paths());
    ASSERT_TRUE(running.acquire());
    int shows = 0;
    QObject::connect(&running, &SingleInstance::showRequested, [&] { ++shows; });

    VirtualClock clock;
    InstanceHandOver handOver(paths().socket, clock);
    std::optional<bool> answered;
    QObject::connect(&handOver, &InstanceHandOver::finished, [&](bool ok) { answered = ok; });
    handOver.start();
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::processEvents();
    }
    clock.advance(InstanceHandOver::kRetryMs * 3);
    EXPECT_FALSE(answered.has_value());

    ASSERT_TRUE(running.listen());
    clock.advance(InstanceHandOver::kRetryMs);
    ASSERT_TRUE(waitUntil([&] { return answered.has_value(); }));
    EXPECT_TRUE(*answered);
    EXPECT_EQ(shows, 1);
}

TEST_F(SingleInstanceTest, TheHandOverGivesUpWhenNoOneAnswers) {
    VirtualClock clock;
    InstanceHandOver handOver(paths().socket, clock);
    std::optional<bool> answered;
    QObject::connect(&handOver, &InstanceHandOver::finished, [&](bool ok) { answered = ok; });
    handOver.start();
    clock.advance(InstanceHandOver::kTimeoutMs - InstanceHandOver::kRetryMs);
    EXPECT_FALSE(answered.has_value());
    clock.advance(InstanceHandOver::kRetryMs);
    ASSERT_TRUE(answered.has_value());
    EXPECT_FALSE(*answered);
}

TEST_F(SingleInstanceTest, OtherTrafficOnTheSocketShowsNothing) {
    SingleInstance running(paths());
    ASSERT_TRUE(running.acquire());
    ASSERT_TRUE(running.listen());
    int shows = 0;
    QObject::connect(&running, &SingleInstance::showRequested, [&] { ++shows; });

    QLocalSocket client;
    client.connectToServer(paths().socket);
    ASSERT_TRUE(waitUntil([&] { return client.state() == QLocalSocket::ConnectedState; }));
    client.write("quit\n");
    EXPECT_TRUE(waitUntil([&] { return client.state() == QLocalSocket::UnconnectedState; }));
    EXPECT_EQ(shows, 0);
}

// A crashed instance leaves its lock behind; the next launch must not hand over to no one.
TEST_F(SingleInstanceTest, ALockLeftByADeadProcessIsTakenOver) {
    QFile lock(paths().lock);
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("2147480000\nnivelo\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    SingleInstance instance(paths());
    EXPECT_TRUE(instance.acquire());
}

TEST_F(SingleInstanceTest, ALockThatCannotBeWrittenIsNotAnotherInstance) {
    SingleInstance instance(
        {dir_.filePath("missing/nivelo.lock"), dir_.filePath("missing/nivelo.socket")});
    EXPECT_FALSE(instance.acquire());
    EXPECT_FALSE(instance.isHeldElsewhere());
    EXPECT_FALSE(instance.listen());
}
