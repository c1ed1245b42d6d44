#pragma once

#include <QObject>
#include <QSet>

// Where the stores tell how their saves fare, for the status the user sees. A run of failing
// saves starts when a store fails while all were saved and is announced once, with the reason
// (an errno value); it ends when every store that failed has written again. A good write while
// some store is failing means there may be room again: each failing store is asked to write
// again, so the user's changes reach the disk without waiting for their next change.
class SaveReport : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

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
    // On the event-loop turn after a good write: every failing store writes again.
    void writeAgainDue();
    // Every store saves what it still holds (a copy being measured, notes whose file failed)
    // before this returns.
    void lastWritesDue();

private:
    QSet<const void*> failing_;
    int lastError_ = 0;
    bool writeAgainQueued_ = false;
};
