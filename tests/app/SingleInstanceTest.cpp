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
        return SingleInstance::pathsFor(dir_.path(), dir_.path());
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

// In the data folder the lock guards, whatever the display or the runtime folder; a socket
// path too long to listen on goes to the runtime folder, named after the data folder.
TEST(SingleInstancePaths, LiveInTheDataFolderWhateverTheDisplay) {
    QTemporaryDir dir;
    const auto paths = SingleInstance::pathsFor(dir.path(), "/run/user/1000");
    EXPECT_EQ(paths.lock, dir.filePath("nivelo.lock"));
    EXPECT_EQ(paths.socket, dir.filePath("nivelo.socket"));

    const QString deep = dir.filePath(QString(SingleInstance::kMaxSocketPath, 'd'));
    const auto far = SingleInstance::pathsFor(deep, "/run/user/1000");
    EXPECT_EQ(far.lock, deep + "/nivelo.lock");
    EXPECT_TRUE(far.socket.startsWith("/run/user/1000/ai.nivelo.native-"))
        << far.socket.toStdString();
    EXPECT_LE(QFile::encodeName(far.socket).size(), SingleInstance::kMaxSocketPath);
    EXPECT_EQ(far.socket, SingleInstance::pathsFor(deep, "/run/user/1000").socket);
    EXPECT_NE(far.socket, SingleInstance::pathsFor(deep + "e", "/run/user/1000").socket);

    const char* names[] = {"XDG_DATA_HOME", "XDG_RUNTIME_DIR", "DISPLAY"};
    std::optional<QByteArray> saved[3];
    for (int i = 0; i < 3; ++i) {
        saved[i] =
            qEnvironmentVariableIsSet(names[i]) ? std::optional(qgetenv(names[i])) : std::nullopt;
    }
    qputenv("XDG_DATA_HOME", dir.path().toUtf8());
    qunsetenv("XDG_RUNTIME_DIR");
    QStringList locks;
    for (const char* display : {":1", ":2.0"}) {
        qputenv("DISPLAY", display);
        locks << SingleInstance::standardPaths().lock;
    }
    for (int i = 0; i < 3; ++i) {
        saved[i] ? void(qputenv(names[i], *saved[i])) : void(qunsetenv(names[i]));
    }
    EXPECT_EQ(locks, QStringList(2, dir.filePath("ai.nivelo.native/nivelo.lock")));
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
    EXPECT_EQ(QFile::permissions(paths().lock),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);

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
