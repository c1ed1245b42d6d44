#include <gtest/gtest.h>

#include "base/Subscription.h"
#include "support/VirtualClock.h"

namespace {
class Counter : public QObject {
    Q_OBJECT
public:
    int value() const { return value_; }
    void set(int v) {
        value_ = v;
        Q_EMIT valueChanged(v);
    }
Q_SIGNALS:
    void valueChanged(int value);

private:
    int value_ = 1;
};
}  // namespace

TEST(Subscription, DeliversCurrentValueThenChangesOnTheNextTurn) {
    Counter counter;
    QList<int> seen;
    auto sub =
        subscribe(&counter, &Counter::valueChanged, &Counter::value, [&](int v) { seen << v; });
    EXPECT_TRUE(seen.isEmpty());  // not synchronously
    counter.set(2);
    VirtualClock::flushEvents();
    EXPECT_EQ(seen, (QList<int>{1, 2}));
    counter.set(3);
    sub.reset();
    VirtualClock::flushEvents();
    EXPECT_EQ(seen, (QList<int>{1, 2}));  // dropped before delivery
}

#include "SubscriptionTest.moc"
