#pragma once

#include <QDateTime>
#include <QtGlobal>
#include <coroutine>
#include <functional>
#include <memory>

#include "platform/CancelToken.h"

// Time as the app sees it: real in the app, virtual in tests. Every pause goes through
// sleep(), so timing rules can be tested exactly without waiting.
class Clock {
public:
    virtual ~Clock() = default;

    // Monotonic milliseconds since an arbitrary start.
    virtual qint64 nowMs() const = 0;
    // Wall-clock time, for stored dates.
    virtual QDateTime currentDateTime() const = 0;

    // Runs fn once after ms milliseconds on the event loop. Returns an id for cancelCall.
    virtual quint64 callAfter(qint64 ms, std::function<void()> fn) = 0;
    virtual void cancelCall(quint64 id) = 0;

    class SleepAwaiter;
    // co_await clock.sleep(ms, token): true when the time has passed, false when the token
    // was cancelled first (then it resumes at once).
    SleepAwaiter sleep(qint64 ms, CancelToken token = {});
};

class Clock::SleepAwaiter {
public:
    SleepAwaiter(Clock& clock, qint64 ms, CancelToken token)
        : clock_(clock), ms_(ms), token_(std::move(token)) {}

    bool await_ready() const { return token_.isCancelled() || ms_ <= 0; }
    void await_suspend(std::coroutine_handle<> handle);
    bool await_resume() const { return !token_.isCancelled() && (ms_ <= 0 || state_->elapsed); }

private:
    struct State {
        bool done = false;
        bool elapsed = false;
        quint64 callId = 0;
        int cancelId = 0;
    };
    Clock& clock_;
    qint64 ms_;
    CancelToken token_;
    std::shared_ptr<State> state_ = std::make_shared<State>();
};
