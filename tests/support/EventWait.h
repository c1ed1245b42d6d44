#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <functional>

#include "support/TaskProbe.h"

// Waits for real input and output (a loopback server, a socket) by handling events until
// done() holds or the limit has passed. Not for timers: those run on the virtual clock.
inline bool waitUntil(const std::function<bool()>& done, int limitMs = 10'000) {
    QDeadlineTimer deadline(limitMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

// Starts a task that talks to the network and waits until it has finished.
template <typename T>
std::shared_ptr<TaskOutcome<T>> runNetworkTask(QCoro::Task<T> task, int limitMs = 10'000) {
    auto out = startTask(std::move(task));
    waitUntil([&] { return out->done; }, limitMs);
    return out;
}
