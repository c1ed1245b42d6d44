#include "platform/SaveReport.h"

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
}

void SaveReport::announceUnsaved() {
    if (hasUnsaved()) {
        Q_EMIT saveFailed(lastError_);
    }
}
