#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <future>
#include <mutex>

#include "platform/IniDefaults.h"
#include "platform/SaveReport.h"
#include "platform/SaveWorker.h"
#include "support/VirtualClock.h"

// One write at a time, and a job that has not started yet gives way to the latest.
TEST(SaveWorker, RunsOneJobAtATimeAndOnlyTheLatestOfThoseWaiting) {
    std::mutex mutex;
    QStringList ran;
    std::atomic<int> running = 0;
    std::atomic<int> most = 0;
    auto job = [&](const QString& name, std::shared_future<void> release = {}) {
        return [&, name, release] {
            most = std::max(most.load(), ++running);
            if (release.valid()) {
                release.wait();
            }
            const std::lock_guard lock(mutex);
            ran << name;
            --running;
        };
    };
    std::promise<void> release;
    SaveWorker worker;
    worker.submit(job("first", release.get_future().share()));
    // Until the first one has started, it too could be replaced.
    QElapsedTimer waited;
    waited.start();
    while (running == 0 && !waited.hasExpired(10000)) {
        QThread::yieldCurrentThread();
    }
    for (const QString& name : {"second", "third", "fourth"}) {
        worker.submit(job(name));
    }
    release.set_value();
    worker.wait();
    EXPECT_EQ(ran, (QStringList{"first", "fourth"}));
    EXPECT_EQ(most, 1);
}

namespace {

QString fileValue(const QString& path, const QString& key) {
    return IniDefaults(path).dataValue(key).value_or("(none)");
}

}  // namespace

// A burst of changes costs one encoding, of the latest state, and not on this thread; what is
// still pending when the defaults go (the app's quit) is written before they are gone.
TEST(SaveWorker, DefaultsEncodeTheLatestStateOnceOffThisThreadAndFlushWhenTheyGo) {
    QTemporaryDir dir;
    const QString path = dir.filePath("history.ini");
    std::atomic<int> encodings = 0;
    std::atomic<bool> encodedHere = false;
    const Qt::HANDLE gui = QThread::currentThreadId();
    auto encoder = [&](int value) {
        return [&, value] {
            ++encodings;
            encodedHere = encodedHere || QThread::currentThreadId() == gui;
            return QByteArray::number(value);
        };
    };
    VirtualClock clock;
    SaveReport report(clock);
    int failures = 0;
    QObject::connect(&report, &SaveReport::saveFailed, [&] { ++failures; });
    {
        IniDefaults defaults(path, &report);
        for (int value = 1; value <= 100; ++value) {
            defaults.setDataLater("nivelo.items", encoder(value));
        }
        QCoreApplication::processEvents();
        defaults.waitForWrite();
        EXPECT_FALSE(defaults.hasUnwrittenChanges());
        EXPECT_EQ(encodings, 1);
        EXPECT_FALSE(encodedHere);
        EXPECT_EQ(fileValue(path, "nivelo.items"), "100");

        // Queued and never given an event-loop turn: written as the defaults go.
        defaults.setDataLater("nivelo.items", encoder(101));
        defaults.setString("nivelo.other", "x");
        EXPECT_TRUE(defaults.hasUnwrittenChanges());
    }
    EXPECT_EQ(fileValue(path, "nivelo.items"), "101");
    EXPECT_EQ(IniDefaults(path).stringValue("nivelo.other"), QString("x"));
    EXPECT_EQ(encodings, 2);
    EXPECT_FALSE(encodedHere);
    EXPECT_EQ(failures, 0);
}
