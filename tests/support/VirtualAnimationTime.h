#pragma once

#include <QAbstractAnimation>
#include <QCoreApplication>
#include <algorithm>

// Qt's animations on virtual time: while one of these lives, they move only when advance()
// is called, in 16 ms frames as the real timer would drive them.
class VirtualAnimationTime : public QAnimationDriver {
public:
    VirtualAnimationTime() { install(); }
    ~VirtualAnimationTime() override { uninstall(); }

    qint64 elapsed() const override { return now_ - startedAt_; }

    void advance(qint64 ms) {
        // Animations started meanwhile register over the next event-loop turns.
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
        }
        const qint64 end = now_ + ms;
        while (now_ < end) {
            now_ = std::min(end, now_ + 16);
            // Like the real timer, it ticks only while Qt runs it: a tick restarts it.
            if (isRunning()) {
                QAnimationDriver::advance();
            }
            QCoreApplication::processEvents();
        }
    }

protected:
    void start() override {
        startedAt_ = now_;
        QAnimationDriver::start();
    }

private:
    qint64 now_ = 0;
    qint64 startedAt_ = 0;
};
