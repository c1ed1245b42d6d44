#include "platform/Clock.h"

Clock::SleepAwaiter Clock::sleep(qint64 ms, CancelToken token) {
    return SleepAwaiter(*this, ms, std::move(token));
}

void Clock::SleepAwaiter::await_suspend(std::coroutine_handle<> handle) {
    auto state = state_;
    auto token = token_;
    Clock* clock = &clock_;
    state->callId = clock->callAfter(ms_, [state, token, handle]() mutable {
        if (state->done) {
            return;
        }
        state->done = true;
        state->elapsed = true;
        token.removeOnCancel(state->cancelId);
        handle.resume();
    });
    state->cancelId = token.onCancel([state, clock, handle] {
        if (state->done) {
            return;
        }
        state->done = true;
        clock->cancelCall(state->callId);
        handle.resume();
    });
}
