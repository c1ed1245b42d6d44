#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <utility>

// Starts a coroutine on the next event-loop turn, like a task started on the main thread.
// The coroutine holds its owner through QPointer and checks it after every co_await; it is
// not started at all when the owner is gone by then.
template <typename Fn>
void launchLater(QObject* owner, Fn fn) {
    QTimer::singleShot(0, owner, [fn = std::move(fn)]() mutable { fn(); });
}
