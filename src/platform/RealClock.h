#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <map>

#include "platform/Clock.h"

// The clock of the running app: Qt timers on the event loop. Calls use the object's own timer
// ids rather than a QTimer each, so the periodic polls allocate nothing per firing.
class RealClock : public QObject, public Clock {
    Q_OBJECT
public:
    // Calls at least this far ahead run on a coarse timer (within 5 %).
    static constexpr qint64 kCoarseFromMs = 500;

    explicit RealClock(QObject* parent = nullptr);

    qint64 nowMs() const override;
    QDateTime currentDateTime() const override;
    quint64 callAfter(qint64 ms, std::function<void()> fn) override;
    void cancelCall(quint64 id) override;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    struct Call {
        quint64 id;
        std::function<void()> fn;
    };
    QElapsedTimer elapsed_;
    quint64 nextId_ = 1;
    std::map<int, Call> calls_;        // by Qt timer id
    std::map<quint64, int> timerIds_;  // call id -> Qt timer id
};
