#pragma once

#include <QObject>
#include <QSet>

// Where the stores tell how their saves fare, for the status the user sees. A run of failing
// saves starts when a store fails while all were saved and is announced once, with the reason
// (an errno value); it ends when every store that failed has written again.
class SaveReport : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // A save of `store` could not be written, for `error`.
    void failed(const void* store, int error);
    void saved(const void* store);
    // Some store holds changes that its file does not.
    bool hasUnsaved() const { return !failing_.isEmpty(); }
    // At quit, after the last tries: announces again what is still unsaved.
    void announceUnsaved();

Q_SIGNALS:
    void saveFailed(int error);

private:
    QSet<const void*> failing_;
    int lastError_ = 0;
};
