#include <gtest/gtest.h>

#include <QCoro/QCoroTask>
#include <QStringList>

#include "support/TaskProbe.h"
#include "support/VirtualClock.h"

namespace {

QCoro::Task<> sleeper(Clock& clock, QStringList& log, QString name, qint64 ms,
                      CancelToken token = {}) {
    const bool elapsed = co_await clock.sleep(ms, token);
    log << QStringLiteral("%1@%2:%3").arg(name).arg(clock.nowMs()).arg(elapsed ? "ok" : "cancel");
}

}  // namespace

TEST(VirtualClock, ResumesSleepersInDeadlineOrderAtTheirOwnTimes) {
    VirtualClock clock;
    QStringList log;
    startTask(sleeper(clock, log, "b", 300));
    startTask(sleeper(clock, log, "a", 100));
    startTask(sleeper(clock, log, "c", 300));
    clock.advance(99);
    EXPECT_TRUE(log.isEmpty());
    clock.advance(1000);
    EXPECT_EQ(log, (QStringList{"a@100:ok", "b@300:ok", "c@300:ok"}));
    EXPECT_EQ(clock.nowMs(), 1099);
}

TEST(VirtualClock, CancelledSleepResumesAtOnceAndNeverFiresLater) {
    VirtualClock clock;
    QStringList log;
    CancelToken token;
    auto out = startTask(sleeper(clock, log, "x", 500, token));
    clock.advance(200);
    token.cancel();
    EXPECT_TRUE(out->done);
    EXPECT_EQ(log, QStringList{"x@200:cancel"});
    EXPECT_EQ(clock.pendingCount(), 0u);
    clock.advance(1000);
    EXPECT_EQ(log.size(), 1);
    // An already cancelled token does not pause.
    startTask(sleeper(clock, log, "y", 500, token));
    EXPECT_EQ(log.last(), "y@1200:cancel");
}

TEST(VirtualClock, ChainedSleepsScheduledDuringAdvanceRunInTheSameAdvance) {
    VirtualClock clock;
    QStringList log;
    auto chain = [](Clock& clock, QStringList& log) -> QCoro::Task<> {
        for (int i = 0; i < 3; ++i) {
            co_await clock.sleep(100);
            log << QString::number(clock.nowMs());
        }
    };
    startTask(chain(clock, log));
    clock.advance(250);
    EXPECT_EQ(log, (QStringList{"100", "200"}));
    clock.advance(50);
    EXPECT_EQ(log, (QStringList{"100", "200", "300"}));
}
