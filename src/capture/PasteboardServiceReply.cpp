// The paste of an AI reply into a chat application's message editor.
#include "capture/PasteboardService.h"
#include "capture/PasteboardServiceError.h"
#include "capture/PasteboardSnapshot.h"
#include "clipboard/ClipboardCapture.h"
#include "platform/Clock.h"
#include "platform/KeyEvents.h"
#include "platform/Pasteboard.h"
#include "platform/Workspace.h"

namespace {
constexpr int kActivationChecks = 45;
constexpr qint64 kActivationCheckMs = 20;
constexpr int kEditorFocusTries = 16;
constexpr qint64 kEditorFocusTryMs = 25;
constexpr int kConfirmationChecks = 60;
constexpr qint64 kConfirmationCheckMs = 20;

// Lends the snapshot to the service while the paste runs (given back if the app quits).
class LentSnapshot {
public:
    LentSnapshot(const PasteboardSnapshot*& slot, const PasteboardSnapshot& snapshot)
        : slot_(slot) {
        slot_ = &snapshot;
    }
    ~LentSnapshot() { slot_ = nullptr; }
    LentSnapshot(const LentSnapshot&) = delete;
    LentSnapshot& operator=(const LentSnapshot&) = delete;

private:
    const PasteboardSnapshot*& slot_;
};
}  // namespace

std::optional<PasteboardService::AIReplyEditorState> PasteboardService::aiReplyEditorState() const {
    const AXElementPtr& editor = deps_.focus.replyEditor();
    if (!editor) {
        return std::nullopt;
    }
    const auto count = deps_.accessibility.characterCount(editor);
    return AIReplyEditorState{deps_.accessibility.value(editor),
                              count ? std::optional<double>(*count) : std::nullopt};
}

QCoro::Task<bool> PasteboardService::waitForTargetActivation(qint64 processIdentifier) {
    for (int check = 0; check < kActivationChecks; ++check) {
        const auto frontmost = deps_.workspace.frontmostApplication();
        if (frontmost && frontmost->processIdentifier == processIdentifier) {
            co_return true;
        }
        co_await deps_.clock.sleep(kActivationCheckMs);
    }
    co_return false;
}

QCoro::Task<bool> PasteboardService::waitForAIReplyEditorFocus(qint64 processIdentifier) {
    for (int attempt = 0; attempt < kEditorFocusTries; ++attempt) {
        if (attempt > 0) {
            co_await deps_.clock.sleep(kEditorFocusTryMs);
        }
        if (deps_.focus.focusAIReplyEditor(processIdentifier)) {
            co_return true;
        }
    }
    co_return false;
}

QCoro::Task<bool> PasteboardService::waitForAIReplyPasteConfirmation(
    std::optional<AIReplyEditorState> before) {
    if (!before || (!before->value && !before->characterCount)) {
        co_return false;
    }
    for (int check = 0; check < kConfirmationChecks; ++check) {
        const auto current = aiReplyEditorState();
        if (current && (current->value || current->characterCount) && *current != *before) {
            co_return true;
        }
        co_await deps_.clock.sleep(kConfirmationCheckMs);
    }
    co_return false;
}

QCoro::Task<> PasteboardService::pasteAIReply(QString text, qint64 targetProcessIdentifier) {
    if (text.isEmpty()) {
        throw PasteboardServiceError(PasteboardServiceErrorKind::emptyText);
    }
    const auto transaction = co_await transactions_.lock();
    const TransactionMark mark(*this);
    guard_.settleNow();
    deps_.capture.suppressCapture(kSuppressSeconds);
    const PasteboardSnapshot snapshot = PasteboardSnapshot::capture(deps_.pasteboard);
    const LentSnapshot lent(borrowed_, snapshot);

    std::optional<PasteboardServiceErrorKind> failure;
    std::optional<qint64> pastedAt;
    if (!deps_.focus.beginAIReplyPaste(targetProcessIdentifier)) {
        failure = PasteboardServiceErrorKind::pasteTargetUnavailable;
    }
    if (!failure) {
        const bool activated = co_await waitForTargetActivation(targetProcessIdentifier);
        if (!activated) {
            failure = PasteboardServiceErrorKind::pasteTargetUnavailable;
        }
    }
    if (!failure) {
        const bool focused = co_await waitForAIReplyEditorFocus(targetProcessIdentifier);
        if (!focused) {
            failure = PasteboardServiceErrorKind::pasteEditorUnavailable;
        }
    }
    if (!failure) {
        const auto before = aiReplyEditorState();
        deps_.pasteboard.clear();
        deps_.pasteboard.setPlainText(text);
        co_await waitForModifierKeysToClear();
        bool sent = true;
        try {
            co_await sendEditShortcut(KeyCode::V, PasteboardServiceErrorKind::pasteEventFailed);
        } catch (const PasteboardServiceError&) {
            sent = false;
        }
        if (!sent) {
            failure = PasteboardServiceErrorKind::pasteEventFailed;
        } else {
            pastedAt = deps_.clock.nowMs();
            const bool confirmed = co_await waitForAIReplyPasteConfirmation(before);
            if (!confirmed) {
                failure = PasteboardServiceErrorKind::pasteNotApplied;
            }
        }
    }

    // The target may still be fetching the text it was sent: the user's content comes back
    // only once it took it (a confirmed paste normally has).
    if (pastedAt) {
        co_await waitForPasteServed(text.size(), *pastedAt, {});
    }
    const auto current = deps_.pasteboard.plainText();
    if (current && current->normalized(QString::NormalizationForm_C) ==
                       text.normalized(QString::NormalizationForm_C)) {
        snapshot.restore(deps_.pasteboard);
    }
    deps_.focus.endAIReplyPaste();
    deps_.capture.finishTransientPasteboardUse();
    if (failure) {
        throw PasteboardServiceError(*failure);
    }
}
