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
    const PasteboardTextRead read = deps_.pasteboard.readPlainText();
    if (!read.answered) {
        // An owner that did not answer may still hold our copy: look again.
        return Verdict::unknown;
    }
    const QString now = text::trimmed(read.text.value_or(QString()));
    return now.normalized(QString::NormalizationForm_C) ==
                   copied_.normalized(QString::NormalizationForm_C)
               ? Verdict::ourCopy
               : Verdict::someoneElses;
}

void ClipboardRestoreGuard::settleNow() {
    if (isRunning() && deps_.clock.nowMs() < untilMs_ && !inspect()) {
        stop();
    }
}

void ClipboardRestoreGuard::check() {
    if (deps_.clock.nowMs() >= untilMs_) {
        // The suppression set at the start runs out at the same moment.
        return;
    }
    if (deps_.busy && deps_.busy()) {
        wasBusy_ = true;
        schedule();
        return;
    }
    if (wasBusy_) {
        // The transaction that ran meanwhile finished its own handshake.
        wasBusy_ = false;
        deps_.capture.suppressCapture(remainingSeconds());
    }
    if (inspect()) {
        schedule();
    }
}

bool ClipboardRestoreGuard::inspect() {
    const qint64 count = deps_.pasteboard.changeCount();
    if (count == seenChangeCount_) {
        return true;
    }
    const auto owner = deps_.pasteboard.ownerProcessIdentifier();
    if (owner && *owner == deps_.ownProcessIdentifier) {
        seenChangeCount_ = count;
        return true;
    }
    const Verdict verdict = judge(owner);
    if (verdict == Verdict::unknown) {
        return true;
    }
    if (verdict == Verdict::ourCopy) {
        snapshot_.restore(deps_.pasteboard);
        ++undone_;
        deps_.capture.finishTransientPasteboardUse();
        deps_.capture.suppressCapture(remainingSeconds());
        seenChangeCount_ = deps_.pasteboard.changeCount();
    } else {
        deps_.capture.resumeCapture(seenChangeCount_);
        return false;
    }
    return true;
}
