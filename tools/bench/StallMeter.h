#pragma once

// The event loop's longest stall and the process's resident memory, for the benches that
// record copies on a running event loop.
#include <fcntl.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <algorithm>
#include <cstdio>

inline double residentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
        }
    }
    return 0;
}

// The longest wait of a 1 ms timer on the event loop beyond its interval: what any event waits
// at most. On a busy machine part of a wait is the UI thread's wait for a free core (its run
// queue time, /proc/thread-self/schedstat); the rest is the event loop's own: work that kept
// it from the timer. The meter costs little CPU of its own, measured idle and taken off.
class StallMeter : public QObject {
public:
    StallMeter() : schedstat_(::open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC)) {
        connect(&timer_, &QTimer::timeout, this, [this] {
            const double now = clock_.nsecsElapsed() / 1e6;
            const double queued = queuedMs();
            const double gap = now - last_ - 1.0;
            longest_ = std::max(longest_, gap);
            longestOwn_ = std::max(longestOwn_, gap - (queued - lastQueued_));
            last_ = now;
            lastQueued_ = queued;
        });
        clock_.start();
        lastQueued_ = queuedMs();
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.start(1);
    }
    ~StallMeter() override {
        if (schedstat_ >= 0) {
            ::close(schedstat_);
        }
    }
    struct Stall {
        double longest;
        double own;
    };
    Stall take() {
        const Stall stall{std::max(0.0, longest_), std::max(0.0, longestOwn_)};
        longest_ = 0;
        longestOwn_ = 0;
        return stall;
    }

private:
    // Milliseconds this thread has waited, runnable, for a core.
    double queuedMs() const {
        char text[128] = {};
        if (schedstat_ < 0 || ::pread(schedstat_, text, sizeof text - 1, 0) <= 0) {
            return 0;
        }
        unsigned long long running = 0;
        unsigned long long waiting = 0;
        std::sscanf(text, "%llu %llu", &running, &waiting);
        return static_cast<double>(waiting) / 1e6;
    }

    int schedstat_;
    QTimer timer_;
    QElapsedTimer clock_;
    double last_ = 0;
    double lastQueued_ = 0;
    double longest_ = 0;
    double longestOwn_ = 0;
};

inline void runEventLoop(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
