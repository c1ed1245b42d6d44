#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <map>

#include "platform/Clock.h"

class QTimer;

// The clock of the running app: Qt timers on the event loop.
class RealClock : public QObject, public Clock {
    Q_OBJECT
public:
    explicit RealClock(QObject* parent = nullptr);

    qint64 nowMs() const override;
    QDateTime currentDateTime() const override;
    quint64 callAfter(qint64 ms, std::function<void()> fn) override;
    void cancelCall(quint64 id) override;

private:
    QElapsedTimer elapsed_;
    quint64 nextId_ = 1;
    std::map<quint64, QTimer*> timers_;
};
