#include "support/VirtualClock.h"

#include <QCoreApplication>

quint64 VirtualClock::callAfter(qint64 ms, std::function<void()> fn) {
    const quint64 id = nextId_++;
    calls_.emplace(Key{now_ + std::max<qint64>(0, ms), id}, std::move(fn));
    return id;
}

void VirtualClock::cancelCall(quint64 id) {
    for (auto it = calls_.begin(); it != calls_.end(); ++it) {
        if (it->first.second == id) {
            calls_.erase(it);
            return;
        }
    }
}

void VirtualClock::flushEvents() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

void VirtualClock::advance(qint64 ms) {
    const qint64 target = now_ + std::max<qint64>(0, ms);
    flushEvents();
    while (!calls_.empty() && calls_.begin()->first.first <= target) {
        auto node = calls_.extract(calls_.begin());
        now_ = node.key().first;
        node.mapped()();
        flushEvents();
    }
    now_ = target;
}

bool VirtualClock::runNext() {
    flushEvents();
    if (calls_.empty()) {
        return false;
    }
    auto node = calls_.extract(calls_.begin());
    now_ = node.key().first;
    node.mapped()();
    flushEvents();
    return true;
}
