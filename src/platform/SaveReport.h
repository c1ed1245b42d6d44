#pragma once

#include <QObject>
#include <QSet>

class Clock;

// Where the stores tell how their saves fare, for the status the user sees. A run of failing
// saves starts when a store fails while all were saved and is announced once, with the reason
// (an errno value); it ends when every store that failed has written again. While a run lasts
// the failing stores are asked to write again on their own, after 2 s and then ever less
// often, up to every 30 s, so that a change reaches the disk soon after there is room again
// whether or not anything else is written. A good write while some store is failing means
// there may be room already: each failing store is asked at once.
class SaveReport : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kFirstTryAgainMs = 2000;
    static constexpr qint64 kLongestTryAgainMs = 30000;

    explicit SaveReport(Clock& clock, QObject* parent = nullptr);
    ~SaveReport() override;

    // A save of `store` could not be written, for `error`.
    void failed(const void* store, int error);
    void saved(const void* store);
    // Some store holds changes that its file does not.
    bool hasUnsaved() const { return !failing_.isEmpty(); }
    // The last save of `store` could not be written.
    bool isFailing(const void* store) const { return failing_.contains(store); }
    // At quit, before the defaults files are written the last time: asks every store to save
    // what it still holds.
    void prepareLastWrites() { Q_EMIT lastWritesDue(); }
    // At quit, after the last tries: announces again what is still unsaved.
    void announceUnsaved();

Q_SIGNALS:
    void saveFailed(int error);
    // Every failing store writes again: on the event-loop turn after a good write, and when
    // the run's timer is due.
    void writeAgainDue();
    // Every store saves what it still holds (a copy being measured, notes whose file failed)
    // before this returns.
    void lastWritesDue();

private:
    void tryAgainLater();
    void stopTryingAgain();

    Clock& clock_;
    QSet<const void*> failing_;
    int lastError_ = 0;
    bool writeAgainQueued_ = false;
    quint64 tryAgainCall_ = 0;
    qint64 tryAgainMs_ = kFirstTryAgainMs;
};
