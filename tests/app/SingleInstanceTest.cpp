#include <gtest/gtest.h>

#include <QFile>
#include <QLocalSocket>
#include <QSysInfo>
#include <QTemporaryDir>
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

    // The first instance, counting the requests to show its window.
    std::unique_ptr<SingleInstance> running(bool listening = true) {
        auto instance = std::make_unique<SingleInstance>(paths());
        EXPECT_TRUE(instance->acquire());
        EXPECT_TRUE(!listening || instance->listen());
        QObject::connect(instance.get(), &SingleInstance::showRequested, [this] { ++shows_; });
        return instance;
    }

    // A later launch asking the running one to show its window; answered_ holds the outcome.
    void startHandOver() {
        handOver_ = std::make_unique<InstanceHandOver>(paths().socket, clock_);
        QObject::connect(handOver_.get(), &InstanceHandOver::finished,
                         [this](bool ok) { answered_ = ok; });
        handOver_->start();
    }
    bool waitForAnswer() {
        return waitUntil([&] { return answered_.has_value(); });
    }

    QTemporaryDir dir_;
    VirtualClock clock_;
    std::unique_ptr<InstanceHandOver> handOver_;
    std::optional<bool> answered_;
    int shows_ = 0;
};

}  // namespace

// In the runtime folder when there is one, else in /tmp named by user and display.
TEST(SingleInstancePaths, LiveInTheRuntimeFolderOrFallBackToTmpNamedByUserAndDisplay) {
    QTemporaryDir dir;
    const auto inRuntime = SingleInstance::pathsFor(dir.path(), 1000, ":0");
    EXPECT_EQ(inRuntime.lock, dir.filePath("ai.nivelo.native.lock"));
    EXPECT_EQ(inRuntime.socket, dir.filePath("ai.nivelo.native.socket"));

    const auto paths = SingleInstance::pathsFor("", 1000, ":1.0");
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

TEST_F(SingleInstanceTest, ListeningNeedsTheLockAndSurvivesALeftOverSocketFile) {
    QFile stale(paths().socket);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    SingleInstance holder(paths());
    SingleInstance other(paths());
    ASSERT_TRUE(holder.acquire());
    EXPECT_FALSE(other.listen());
    EXPECT_TRUE(holder.listen());
}

TEST_F(SingleInstanceTest, ALaterLaunchAsksTheRunningOneToShowItsWindow) {
    auto first = running();
    startHandOver();
    ASSERT_TRUE(waitForAnswer());
    EXPECT_TRUE(*answered_);
    EXPECT_EQ(shows_, 1);
}

TEST_F(SingleInstanceTest, TheHandOverWaitsForAnInstanceThatIsStillStarting) {
    auto first = running(false);
    startHandOver();
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::processEvents();
    }
    clock_.advance(InstanceHandOver::kRetryMs * 3);
    EXPECT_FALSE(answered_.has_value());

    ASSERT_TRUE(first->listen());
    clock_.advance(InstanceHandOver::kRetryMs);
    ASSERT_TRUE(waitForAnswer());
    EXPECT_TRUE(*answered_);
    EXPECT_EQ(shows_, 1);
}

TEST_F(SingleInstanceTest, TheHandOverGivesUpWhenNoOneAnswers) {
    startHandOver();
    clock_.advance(InstanceHandOver::kTimeoutMs - InstanceHandOver::kRetryMs);
    EXPECT_FALSE(answered_.has_value());
    clock_.advance(InstanceHandOver::kRetryMs);
    ASSERT_TRUE(answered_.has_value());
    EXPECT_FALSE(*answered_);
}

TEST_F(SingleInstanceTest, OtherTrafficOnTheSocketShowsNothing) {
    auto first = running();
    QLocalSocket client;
    client.connectToServer(paths().socket);
    ASSERT_TRUE(waitUntil([&] { return client.state() == QLocalSocket::ConnectedState; }));
    client.write("quit\n");
    EXPECT_TRUE(waitUntil([&] { return client.state() == QLocalSocket::UnconnectedState; }));
    EXPECT_EQ(shows_, 0);
}

// A crashed instance leaves its lock behind; the next launch must not hand over to no one.
// A lock that cannot be written is no other instance either.
TEST_F(SingleInstanceTest, ALockLeftByADeadProcessOrUnwritableIsNotAnotherInstance) {
    QFile lock(paths().lock);
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("2147480000\nnivelo\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    EXPECT_TRUE(SingleInstance(paths()).acquire());

    SingleInstance unwritable(
        {dir_.filePath("missing/nivelo.lock"), dir_.filePath("missing/nivelo.socket")});
    EXPECT_FALSE(unwritable.acquire());
    EXPECT_FALSE(unwritable.isHeldElsewhere());
    EXPECT_FALSE(unwritable.listen());
}
