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
        log << QStringLiteral("%1@%2:%3").arg(name).arg(clock.nowMs()).arg(elapsed ? "ok" : "x");
    }
}

}  // namespace

// Sleepers resume in deadline order at their own times; sleeps scheduled during an advance
// run in the same advance; a cancelled sleep resumes at once and never fires later, and an
// already cancelled token does not pause.
TEST(VirtualClock, ResumesSleepersInDeadlineOrderUnlessCancelled) {
    VirtualClock clock;
    QStringList log;
    CancelToken token;
    startTask(sleeper(clock, log, "b", 300));
    startTask(sleeper(clock, log, "a", 100, 3));
    startTask(sleeper(clock, log, "c", 500, 1, token));
    clock.advance(99);
    EXPECT_TRUE(log.isEmpty());
    clock.advance(301);
    token.cancel();
    clock.advance(1000);
    startTask(sleeper(clock, log, "d", 500, 1, token));
    EXPECT_EQ(log, (QStringList{"a@100:ok", "a@200:ok", "b@300:ok", "a@300:ok", "c@400:x",
                                "d@1400:x"}));
    EXPECT_EQ(clock.pendingCount(), 0u);
}
