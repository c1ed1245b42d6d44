#include <gtest/gtest.h>

#include <QCoro/QCoroTask>
#include <QStringList>

#include "support/TaskProbe.h"
#include "support/VirtualClock.h"

namespace {

QCoro::Task<> sleeper(Clock& clock, QStringList& log, QString name, qint64 ms, int times = 1,
                      CancelToken token = {}) {
    for (int i = 0; i < times; ++i) {
        const bool elapsed = co_await clock.sleep(ms, token);
        log << QStringLiteral("%1@%2:%3").arg(name).arg(clock.nowMs()).arg(elapsed ? "ok" : "cancel");
    }
}

}  // namespace

// Sleepers resume in deadline order at their own times; sleeps scheduled during an advance
// run in the same advance.
TEST(VirtualClock, ResumesSleepersInDeadlineOrderAtTheirOwnTimes) {
    VirtualClock clock;
    QStringList log;
    startTask(sleeper(clock, log, "b", 300));
    startTask(sleeper(clock, log, "a", 100, 3));
    startTask(sleeper(clock, log, "c", 300));
    clock.advance(99);
    EXPECT_TRUE(log.isEmpty());
    clock.advance(1000);
    EXPECT_EQ(log, (QStringList{"a@100:ok", "a@200:ok", "b@300:ok", "c@300:ok", "a@300:ok"}));
    EXPECT_EQ(clock.nowMs(), 1099);
}

// A cancelled sleep resumes at once and never fires later; an already cancelled token does not
// pause.
TEST(VirtualClock, CancelledSleepResumesAtOnceAndNeverFiresLater) {
    VirtualClock clock;
    QStringList log;
    CancelToken token;
    auto out = startTask(sleeper(clock, log, "x", 500, 1, token));
    clock.advance(200);
    token.cancel();
    EXPECT_TRUE(out->done);
    EXPECT_EQ(clock.pendingCount(), 0u);
    clock.advance(1000);
    startTask(sleeper(clock, log, "y", 500, 1, token));
    EXPECT_EQ(log, (QStringList{"x@200:cancel", "y@1200:cancel"}));
}
