#include <gtest/gtest.h>

#include <cerrno>

#include "platform/SaveReport.h"
#include "support/VirtualClock.h"

// While a save stands failed it is tried again on its own, after 2 s and then ever less often,
// up to every 30 s, and the run is said once; the try that writes ends the tries, and the next
// run starts again at 2 s and is said again.
TEST(SaveReport, AFailedSaveIsTriedAgainOnItsOwnLessAndLessOftenUntilItWrites) {
    VirtualClock clock;
    SaveReport report(clock);
    const int store = 0;
    int said = 0;
    QList<qint64> tries;
    QObject::connect(&report, &SaveReport::saveFailed, [&] { ++said; });
    QObject::connect(&report, &SaveReport::writeAgainDue, [&] {
        tries << clock.nowMs();
        if (tries.size() == 6) {
            report.saved(&store);
        } else {
            report.failed(&store, ENOSPC);
        }
    });
    report.failed(&store, ENOSPC);
    clock.advance(200'000);
    EXPECT_EQ(tries, (QList<qint64>{2'000, 6'000, 14'000, 30'000, 60'000, 90'000}));
    EXPECT_EQ(said, 1);
    EXPECT_EQ(clock.pendingCount(), 0u);

    report.failed(&store, ENOSPC);
    clock.advance(2'000);
    EXPECT_EQ(tries.size(), 7);
    EXPECT_EQ(tries.value(6), 202'000);
    EXPECT_EQ(said, 2);
}
