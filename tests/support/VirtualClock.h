#pragma once

#include <map>
#include <utility>

#include "platform/Clock.h"

// Virtual time for tests: nothing happens until advance(), which runs every due call in
// deadline order (calls scheduled meanwhile included) and processes Qt events after each.
class VirtualClock : public Clock {
public:
    explicit VirtualClock(QDateTime start = QDateTime(QDate(2026, 1, 1), QTime(12, 0), Qt::UTC))
        : start_(std::move(start)) {}

    qint64 nowMs() const override { return now_; }
    QDateTime currentDateTime() const override { return start_.addMSecs(now_); }
    quint64 callAfter(qint64 ms, std::function<void()> fn) override;
    void cancelCall(quint64 id) override;

    void advance(qint64 ms);
    // Advances to the next due call (if any) and runs it; returns false when none is pending.
    bool runNext();
    // Processes queued Qt events (deliveries on the next event-loop turn).
    static void flushEvents();

    std::size_t pendingCount() const { return calls_.size(); }

private:
    using Key = std::pair<qint64, quint64>;  // deadline, id (ids keep scheduling order)
    QDateTime start_;
    qint64 now_ = 0;
    quint64 nextId_ = 1;
    std::map<Key, std::function<void()>> calls_;
};
