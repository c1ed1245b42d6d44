#include "capture/ClipboardRestoreGuard.h"

#include "base/Text.h"
#include "clipboard/ClipboardCapture.h"
#include "platform/Clock.h"
#include "platform/Pasteboard.h"

ClipboardRestoreGuard::ClipboardRestoreGuard(Dependencies dependencies)
    : deps_(std::move(dependencies)) {}

ClipboardRestoreGuard::~ClipboardRestoreGuard() {
    stop();
}

void ClipboardRestoreGuard::start(PasteboardSnapshot snapshot,
                                  std::optional<qint64> targetProcessIdentifier, QString copied) {
    stop();
    snapshot_ = std::move(snapshot);
    target_ = targetProcessIdentifier;
    copied_ = text::trimmed(copied);
    seenChangeCount_ = deps_.pasteboard.changeCount();
    untilMs_ = deps_.clock.nowMs() + kGuardMs;
    wasBusy_ = false;
    undone_ = 0;
    deps_.capture.suppressCapture(remainingSeconds());
    schedule();
}

void ClipboardRestoreGuard::stop() {
    if (timer_ != 0) {
        deps_.clock.cancelCall(timer_);
        timer_ = 0;
    }
}

void ClipboardRestoreGuard::schedule() {
    timer_ = deps_.clock.callAfter(kPollMs, [this] {
        timer_ = 0;
        check();
    });
}

double ClipboardRestoreGuard::remainingSeconds() const {
    return double(untilMs_ - deps_.clock.nowMs()) / 1000.0;
}

ClipboardRestoreGuard::Verdict ClipboardRestoreGuard::judge(
    const std::optional<qint64>& owner) const {
    if (!owner || !target_ || *owner != *target_) {
        return Verdict::someoneElses;
    }
    if (copied_.isEmpty()) {
        return Verdict::ourCopy;
    }
    if (deps_.pasteboard.textPending()) {
        return Verdict::reading;
    }
    const PasteboardTextRead read = deps_.pasteboard.readPlainText();
    if (!read.answered) {
        return Verdict::unknown;
    }
    const QString now = text::trimmed(read.text.value_or(QString()));
    return now.normalized(QString::NormalizationForm_C) ==
                   copied_.normalized(QString::NormalizationForm_C)
               ? Verdict::ourCopy
               : Verdict::someoneElses;
}

QCoro::Task<> ClipboardRestoreGuard::settle() {
    // A watch kept past its end by a read still settles.
    while (isRunning()) {
        const Look look = inspect(Mode::settle);
        if (look == Look::ended) {
            stop();
        }
        if (look != Look::reading) {
            co_return;
        }
        co_await deps_.clock.sleep(kPollMs);
    }
}

void ClipboardRestoreGuard::check() {
    if (deps_.busy && deps_.busy()) {
        wasBusy_ = true;
        if (deps_.clock.nowMs() < untilMs_) {
            schedule();
        }
        return;
    }
    if (deps_.clock.nowMs() >= untilMs_) {
        // The watch ends; the suppression set at the start runs out at the same moment. A
        // late copy that could not be read is not left in place; one still being read keeps
        // the watch, and the history off, until its read ends, within the read's limits.
        if (inspect(Mode::end) == Look::reading) {
            deps_.capture.suppressCapture(double(2 * kPollMs) / 1000.0);
            schedule();
        }
        return;
    }
    if (wasBusy_) {
        // The transaction that ran meanwhile finished its own handshake.
        wasBusy_ = false;
        deps_.capture.suppressCapture(remainingSeconds());
    }
    if (inspect(Mode::watch) != Look::ended) {
        schedule();
    }
}

ClipboardRestoreGuard::Look ClipboardRestoreGuard::inspect(Mode mode) {
    const qint64 count = deps_.pasteboard.changeCount();
    if (count == seenChangeCount_) {
        return Look::watching;
    }
    const auto owner = deps_.pasteboard.ownerProcessIdentifier();
    if (owner && *owner == deps_.ownProcessIdentifier) {
        seenChangeCount_ = count;
        return Look::watching;
    }
    const Verdict verdict = judge(owner);
    if (verdict == Verdict::someoneElses) {
        deps_.capture.resumeCapture(seenChangeCount_);
        return Look::ended;
    }
    if (verdict == Verdict::reading) {
        // The read ends within its own limits.
        return Look::reading;
    }
    if (verdict == Verdict::unknown && mode == Mode::watch) {
        // Looked at again: the pasteboard reads a change once, and answers again from that.
        return Look::watching;
    }
    undo();
    return Look::watching;
}

void ClipboardRestoreGuard::undo() {
    snapshot_.restore(deps_.pasteboard);
    ++undone_;
    deps_.capture.finishTransientPasteboardUse();
    deps_.capture.suppressCapture(remainingSeconds());
    seenChangeCount_ = deps_.pasteboard.changeCount();
}
