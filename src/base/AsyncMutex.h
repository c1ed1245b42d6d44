#pragma once

#include <coroutine>
#include <deque>

// Lets coroutines run a critical section one at a time, in the order they asked:
//   auto guard = co_await mutex.lock();
// Dropping the guard hands the lock to the next waiter at once.
class AsyncMutex {
public:
    class Guard {
    public:
        explicit Guard(AsyncMutex* mutex) : mutex_(mutex) {}
        Guard(Guard&& other) noexcept : mutex_(other.mutex_) { other.mutex_ = nullptr; }
        Guard& operator=(Guard&&) = delete;
        Guard(const Guard&) = delete;
        ~Guard() {
            if (mutex_) {
                mutex_->unlock();
            }
        }

    private:
        AsyncMutex* mutex_;
    };

    class LockAwaiter {
    public:
        explicit LockAwaiter(AsyncMutex& mutex) : mutex_(mutex) {}
        bool await_ready() {
            if (mutex_.locked_) {
                return false;
            }
            mutex_.locked_ = true;
            return true;
        }
        void await_suspend(std::coroutine_handle<> handle) { mutex_.waiters_.push_back(handle); }
        Guard await_resume() { return Guard(&mutex_); }

    private:
        AsyncMutex& mutex_;
    };

    AsyncMutex() = default;
    AsyncMutex(const AsyncMutex&) = delete;
    AsyncMutex& operator=(const AsyncMutex&) = delete;

    LockAwaiter lock() { return LockAwaiter(*this); }
    bool isLocked() const { return locked_; }
    std::size_t waiterCount() const { return waiters_.size(); }

private:
    void unlock() {
        if (waiters_.empty()) {
            locked_ = false;
            return;
        }
        // The lock passes straight to the next waiter; it stays locked.
        const auto next = waiters_.front();
        waiters_.pop_front();
        next.resume();
    }

    bool locked_ = false;
    std::deque<std::coroutine_handle<>> waiters_;
};
