#include "platform/SaveWorker.h"

#include <malloc.h>
#include <utility>

SaveWorker::~SaveWorker() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void SaveWorker::submit(std::function<void()> job) {
    {
        const std::lock_guard lock(mutex_);
        pending_ = std::move(job);
        if (!thread_.joinable()) {
            thread_ = std::thread([this] { run(); });
        }
    }
    changed_.notify_all();
}

void SaveWorker::wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !pending_ && !busy_; });
}

void SaveWorker::run() {
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return pending_ || stopping_; });
        if (!pending_) {
            return;
        }
        std::function<void()> job = std::exchange(pending_, nullptr);
        busy_ = true;
        lock.unlock();
        job();
        // The snapshot goes here, off the GUI thread, and before anyone waiting is told. The
        // encoded copies were as large as the data: their memory goes back to the system
        // rather than staying with the allocator.
        job = nullptr;
        ::malloc_trim(0);
        lock.lock();
        busy_ = false;
        changed_.notify_all();
    }
}
