#include "capture/PasteboardLender.h"

#include "capture/PasteboardServiceError.h"
#include "clipboard/ClipboardCapture.h"
#include "platform/Clock.h"
#include "platform/Pasteboard.h"

PasteboardLender::PasteboardLender(Dependencies dependencies)
    : deps_(dependencies),
      guard_({dependencies.clock, dependencies.pasteboard, dependencies.capture,
              dependencies.ownProcessIdentifier, [this] { return turns_.isLocked(); }}) {}

QCoro::Task<PasteboardLoan> PasteboardLender::lend(PasteboardLoan::Road road) {
    AsyncMutex::Guard turn = co_await turns_.lock();
    // A late copy that landed since the watch last looked is undone first, so it is never
    // saved as the user's.
    QCoro::Task<> settled = guard_.settle();
    co_await std::move(settled);
    // Another owner's content is read aside; the history records it before it is hidden.
    QCoro::Task<PasteboardSnapshot> saved =
        PasteboardSnapshot::captureAside(deps_.pasteboard, deps_.clock);
    PasteboardSnapshot snapshot = co_await std::move(saved);
    if (!snapshot.whole) {
        // Its owner stopped answering, or it is beyond what can be kept: borrowed, the
        // clipboard would come back without what could not be read.
        throw PasteboardServiceError(PasteboardServiceErrorKind::pasteboardNotKept);
    }
    deps_.capture.suppressCapture(PasteboardLoan::kSuppressSeconds);
    auto state =
        std::make_unique<PasteboardLoan::State>(*this, std::move(turn), road, std::move(snapshot));
    co_return PasteboardLoan(std::move(state));
}

void PasteboardLender::recallNow() {
    guard_.stop();
    if (out_ && !out_->givenBack) {
        out_->givenBack = true;
        out_->snapshot.restore(deps_.pasteboard);
        deps_.capture.finishTransientPasteboardUse();
    }
}

bool PasteboardLender::lentWithin(qint64 ms) const {
    return out_ || (lastReturnMs_ && deps_.clock.nowMs() - *lastReturnMs_ < ms);
}
