#include "platform/RealClock.h"

#include <QTimer>
#include <algorithm>
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
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [this, id, fn = std::move(fn)] {
        auto it = timers_.find(id);
        if (it == timers_.end()) {
            return;
        }
        it->second->deleteLater();
        timers_.erase(it);
        fn();
    });
    timers_.emplace(id, timer);
    timer->start(static_cast<int>(std::clamp<qint64>(ms, 0, std::numeric_limits<int>::max())));
    return id;
}

void RealClock::cancelCall(quint64 id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) {
        return;
    }
    it->second->stop();
    it->second->deleteLater();
    timers_.erase(it);
}
