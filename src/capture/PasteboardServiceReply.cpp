// The paste of an AI reply into a chat application's message editor.
#include "capture/PasteboardService.h"
#include "capture/PasteboardServiceError.h"
#include "capture/ReplyEditorSearch.h"
#include "platform/Clock.h"
#include "platform/KeyEvents.h"
#include "platform/Pasteboard.h"
#include "platform/Workspace.h"

namespace {
constexpr int kActivationChecks = 45;
constexpr qint64 kActivationCheckMs = 20;
// A loaded window manager hands the focus over well after the checks above.
constexpr qint64 kActivationPatienceMs = 3000;
constexpr int kEditorFocusTries = 16;
constexpr qint64 kEditorFocusTryMs = 25;
// An application shows its focused field over the accessibility bus only once it has
// handled its own activation, which on a busy desktop takes well over the tries above.
constexpr qint64 kEditorFocusPatienceMs = 4000;
// Firefox gives up a fetch of the clipboard after half a second: while it fetches, nothing asks it
// anything over the accessibility bus, a question that would hold up our answer to the fetch.
constexpr qint64 kFetchBeforeConfirmationMs = 2000;
constexpr int kConfirmationChecks = 60;
constexpr qint64 kConfirmationCheckMs = 20;
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
    const qint64 start = deps_.clock.nowMs();
    for (int check = 0;
         check < kActivationChecks || deps_.clock.nowMs() - start < kActivationPatienceMs;
         ++check) {
        const auto frontmost = deps_.workspace.frontmostApplication();
        if (frontmost && frontmost->processIdentifier == processIdentifier) {
            co_return true;
        }
        co_await deps_.clock.sleep(kActivationCheckMs);
    }
    co_return false;
}

QCoro::Task<bool> PasteboardService::waitForAIReplyEditorFocus(qint64 processIdentifier) {
    const qint64 start = deps_.clock.nowMs();
    for (int attempt = 0;
         attempt < kEditorFocusTries || deps_.clock.nowMs() - start < kEditorFocusPatienceMs;
         ++attempt) {
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
    // Only what could be read now counts: a field that did not answer this once (a busy
    // application over the accessibility bus) has not changed, so Paste is not reported done
    // and the user's clipboard is not put back under a paste still to come.
    const qint64 pastedAt = deps_.clock.nowMs();
    while (deps_.clock.nowMs() - pastedAt < kFetchBeforeConfirmationMs) {
        const PasteboardFetch fetch = deps_.pasteboard.lastWriteFetch();
        if (fetch.served && fetch.underway == 0) {
            break;
        }
        co_await deps_.clock.sleep(kConfirmationCheckMs);
    }
    const auto changed = [](const auto& now, const auto& was) { return now && now != was; };
    for (int check = 0; check < kConfirmationChecks; ++check) {
        const auto current = aiReplyEditorState();
        if (current && (changed(current->value, before->value) ||
                        changed(current->characterCount, before->characterCount))) {
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
    PasteboardLoan loan = co_await lender_.lend(PasteboardLoan::Road::paste);
    loan.onGiveBack([&focus = deps_.focus] { focus.endAIReplyPaste(); });

    std::optional<PasteboardServiceErrorKind> failure;
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
        loan.writeText(text);
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
            loan.pasteSent();
            const bool confirmed = co_await waitForAIReplyPasteConfirmation(before);
            if (!confirmed) {
                failure = PasteboardServiceErrorKind::pasteNotApplied;
            }
        }
    }

    // The target may still be fetching the text it was sent: the user's content comes back
    // only once it took it (a confirmed paste normally has).
    co_await loan.end();
    if (failure) {
        throw PasteboardServiceError(*failure);
    }
}
