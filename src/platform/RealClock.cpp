#include "platform/RealClock.h"

#include <QTimerEvent>
#include <algorithm>
#include <chrono>
#include <limits>

RealClock::RealClock(QObject* parent) : QObject(parent) {
    elapsed_.start();
}

qint64 RealClock::nowMs() const {
    return elapsed_.elapsed();
}

QDateTime RealClock::currentDateTime() const {
    return QDateTime::currentDateTime();
}

quint64 RealClock::callAfter(qint64 ms, std::function<void()> fn) {
    const quint64 id = nextId_++;
    // Half a second and more needs no millisecond: a coarse timer may end up to 5 % early or
    // late, which lets the idle polls (0.7, 0.75 and 1 s) share their wake-ups.
    const int timerId = startTimer(
        std::chrono::milliseconds(std::clamp<qint64>(ms, 0, std::numeric_limits<int>::max())),
        ms >= kCoarseFromMs ? Qt::CoarseTimer : Qt::PreciseTimer);
    calls_.emplace(timerId, Call{id, std::move(fn)});
    timerIds_.emplace(id, timerId);
    return id;
}

void RealClock::cancelCall(quint64 id) {
    const auto it = timerIds_.find(id);
    if (it == timerIds_.end()) {
        return;
    }
    killTimer(it->second);
    calls_.erase(it->second);
    timerIds_.erase(it);
}

void RealClock::timerEvent(QTimerEvent* event) {
    const int timerId = event->timerId();
    killTimer(timerId);
    const auto it = calls_.find(timerId);
    if (it == calls_.end()) {
        return;
    }
    // Taken out first: the call may schedule or cancel others.
    std::function<void()> fn = std::move(it->second.fn);
    timerIds_.erase(it->second.id);
    calls_.erase(it);
    fn();
}
