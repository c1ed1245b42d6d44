#include "platform/SaveReport.h"

#include <QTimer>
#include <algorithm>

#include "platform/Clock.h"

SaveReport::SaveReport(Clock& clock, QObject* parent) : QObject(parent), clock_(clock) {}

SaveReport::~SaveReport() {
    stopTryingAgain();
}

void SaveReport::failed(const void* store, int error) {
    lastError_ = error;
    const bool startsRun = failing_.isEmpty();
    failing_.insert(store);
    if (tryAgainCall_ == 0) {
        tryAgainLater();
    }
    if (startsRun) {
        Q_EMIT saveFailed(error);
    }
}

void SaveReport::saved(const void* store) {
    failing_.remove(store);
    if (failing_.isEmpty()) {
        stopTryingAgain();
    }
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

void SaveReport::tryAgainLater() {
    tryAgainCall_ = clock_.callAfter(tryAgainMs_, [this] {
        tryAgainCall_ = 0;
        tryAgainMs_ = std::min(2 * tryAgainMs_, kLongestTryAgainMs);
        if (failing_.isEmpty()) {
            return;
        }
        Q_EMIT writeAgainDue();
        // A store that writes on a thread of its own tells its outcome later.
        if (!failing_.isEmpty() && tryAgainCall_ == 0) {
            tryAgainLater();
        }
    });
}

void SaveReport::stopTryingAgain() {
    if (tryAgainCall_ != 0) {
        clock_.cancelCall(tryAgainCall_);
        tryAgainCall_ = 0;
    }
    tryAgainMs_ = kFirstTryAgainMs;
}

void SaveReport::announceUnsaved() {
    if (hasUnsaved()) {
        Q_EMIT saveFailed(lastError_);
    }
}
