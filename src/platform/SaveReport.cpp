#include "platform/SaveReport.h"

#include <QTimer>

void SaveReport::failed(const void* store, int error) {
    lastError_ = error;
    const bool startsRun = failing_.isEmpty();
    failing_.insert(store);
    if (startsRun) {
        Q_EMIT saveFailed(error);
    }
}

void SaveReport::saved(const void* store) {
    failing_.remove(store);
    if (failing_.isEmpty() || writeAgainQueued_) {
        return;
    }
    // Not at once: the store that wrote may be inside another's save (the notes' fallback). A
    // try that fails asks for nothing, and one that writes ends a store's failing, so the
    // rounds end.
    writeAgainQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        writeAgainQueued_ = false;
        if (!failing_.isEmpty()) {
            Q_EMIT writeAgainDue();
        }
    });
}

void SaveReport::announceUnsaved() {
    if (hasUnsaved()) {
        Q_EMIT saveFailed(lastError_);
    }
}
