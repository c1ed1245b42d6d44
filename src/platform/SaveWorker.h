#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// The thread on which one store encodes and writes its file. A job works only on the immutable
// snapshot it was handed and tells its outcome back to the GUI thread, where every state
// stays. A job not yet started is replaced by a newer one: the latest state wins, and one
// write is under way at a time.
class SaveWorker {
public:
    SaveWorker() = default;
    // Runs the job still waiting, then ends the thread.
    ~SaveWorker();
    SaveWorker(const SaveWorker&) = delete;
    SaveWorker& operator=(const SaveWorker&) = delete;

    void submit(std::function<void()> job);
    // Returns once no job waits or runs.
    void wait();

private:
    void run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> pending_;
    bool busy_ = false;
    bool stopping_ = false;
    // Started with the first job.
    std::thread thread_;
};
