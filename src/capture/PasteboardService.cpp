#include "capture/PasteboardService.h"

#include "base/CancelledError.h"
#include "base/Text.h"
#include "capture/FocusService.h"
#include "capture/PasteboardServiceError.h"
#include "clipboard/ClipboardCapture.h"
#include "clipboard/ClipboardHistoryService.h"
#include "platform/Clock.h"
#include "platform/KeyEvents.h"
#include "platform/Pasteboard.h"
#include "platform/PasteboardRead.h"
#include "platform/Platform.h"
#include "platform/Workspace.h"

namespace {
constexpr qint64 kKeyGapMs = 20;
constexpr qint64 kModifierPollMs = 35;
constexpr int kModifierPolls = 16;
constexpr qint64 kCopyPollMs = 2;
constexpr qint64 kCopyPollLimitMs = 120;
constexpr int kCopyAttempts = 3;
// The edit shortcuts are Control plus a letter on Linux.
constexpr KeyModifier kShortcutModifier = KeyModifier::Control;

bool isBlank(const QString& text) {
    return text::trimmed(text).isEmpty();
}
}  // namespace

bool PasteboardService::ownKeyEventsMayArrive() const {
    return lender_.lentWithin(kOwnKeysSettleMs);
}

PasteboardService::PasteboardService(Dependencies dependencies)
    : deps_(dependencies),
      reader_(dependencies.workspace, dependencies.accessibility, dependencies.focus),
      lender_({dependencies.clock, dependencies.pasteboard, dependencies.capture,
               dependencies.workspace.ownProcessIdentifier()}) {}

void PasteboardService::returnBorrowedPasteboard() {
    lender_.recallNow();
}

PasteboardService& PasteboardService::shared() {
    static auto* instance = [] {
        Platform& platform = Platform::current();
        return new PasteboardService(Dependencies{
            *platform.clock, *platform.pasteboard, *platform.keyEvents, *platform.workspace,
            *platform.accessibility, FocusService::shared(), ClipboardHistoryService::shared()});
    }();
    return *instance;
}

QCoro::Task<> PasteboardService::sendShortcut(quint16 keyCode) {
    if (!deps_.keyEvents.canPostEvents()) {
        throw PasteboardServiceError(PasteboardServiceErrorKind::missingAccessibilityPermission);
    }
    // What the key needs read first is waited for in the event loop.
    while (deps_.keyEvents.keyPending(keyCode, kShortcutModifier)) {
        co_await deps_.clock.sleep(kCopyPollMs);
    }
    if (!deps_.keyEvents.postKey(keyCode, kShortcutModifier, true)) {
        throw PasteboardServiceError(PasteboardServiceErrorKind::pasteEventFailed);
    }
    // The key-up always follows, whatever happens to the caller meanwhile.
    co_await deps_.clock.sleep(kKeyGapMs);
    if (!deps_.keyEvents.postKey(keyCode, kShortcutModifier, false)) {
        throw PasteboardServiceError(PasteboardServiceErrorKind::pasteEventFailed);
    }
}

QCoro::Task<> PasteboardService::sendEditShortcut(quint16 keyCode,
                                                  PasteboardServiceErrorKind failure) {
    bool sent = true;
    try {
        co_await sendShortcut(keyCode);
    } catch (const PasteboardServiceError&) {
        sent = false;
    }
    if (!sent) {
        throw PasteboardServiceError(failure);
    }
}

QCoro::Task<> PasteboardService::waitForModifierKeysToClear() {
    // Bounded: a key that stays down delays the shortcut by about 560 ms, no more.
    for (int pause = 0; pause < kModifierPolls; ++pause) {
        if (deps_.keyEvents.heldModifiers() == KeyModifiers()) {
            co_return;
        }
        co_await deps_.clock.sleep(kModifierPollMs);
    }
}

QCoro::Task<QString> PasteboardService::copiedText() {
    // Another owner's text is read aside: a large copy is taken in full, a hung owner given up
    // on, and the event loop runs meanwhile.
    QCoro::Task<PasteboardTextRead> read = pasteboardRead::plainText(deps_.pasteboard, deps_.clock);
    const PasteboardTextRead copied = co_await std::move(read);
    co_return copied.text.value_or(QString());
}

QCoro::Task<QString> PasteboardService::waitForCopiedText(qint64 milliseconds) {
    const qint64 deadline = deps_.clock.nowMs() + milliseconds;
    while (true) {
        QCoro::Task<QString> read = copiedText();
        QString text = co_await std::move(read);
        if (!isBlank(text) || deps_.clock.nowMs() >= deadline) {
            co_return text;
        }
        co_await deps_.clock.sleep(kCopyPollMs);
    }
}

QCoro::Task<> PasteboardService::pauseOrThrow(qint64 milliseconds, CancelToken token) {
    // GCC 12 miscompiles a co_await inside a condition: take the result first.
    const bool elapsed = co_await deps_.clock.sleep(milliseconds, token);
    if (!elapsed) {
        throw CancelledError();
    }
}

QCoro::Task<SelectionRead> PasteboardService::readSelectedTextTransient(
    bool selectAllBeforeCopy, bool includeFocusedTextFallback, PasteboardTiming timing,
    CancelToken token) {
    PasteboardLoan loan = co_await lender_.lend(PasteboardLoan::Road::read);
    // Where the Copy went: the owner of a late answer to it.
    loan.copyGoesTo(deps_.focus.rememberedProcessIdentifier());
    // With nothing remembered the Copy goes to whatever application is frontmost.
    deps_.focus.activateRememberedApplication();
    const std::optional<FocusTarget> source = deps_.focus.rememberedTarget();
    co_await pauseOrThrow(timing.activationDelay, token);

    if (selectAllBeforeCopy) {
        if (timing.waitForModifierRelease) {
            co_await waitForModifierKeysToClear();
        }
        co_await sendEditShortcut(KeyCode::A, PasteboardServiceErrorKind::copyEventFailed);
        co_await pauseOrThrow(timing.selectAllDelay, token);
    }

    // Some editors copy the caret's line when nothing is selected: where accessibility can
    // say nothing is, such a Copy is told from a selection afterwards.
    const std::optional<CaretSpot> caret =
        selectAllBeforeCopy ? std::nullopt : reader_.caretWithoutSelection();
    QString copied;
    for (int attempt = 0; attempt < kCopyAttempts; ++attempt) {
        // Renewed per attempt, so a slow read never outlives its suppression.
        deps_.capture.suppressCapture(PasteboardLoan::kSuppressSeconds);
        deps_.pasteboard.clear();
        if (timing.waitForModifierRelease) {
            co_await waitForModifierKeysToClear();
        }
        if (const auto front = deps_.workspace.frontmostApplication()) {
            loan.copyGoesTo(front->processIdentifier);
        }
        co_await sendEditShortcut(KeyCode::C, PasteboardServiceErrorKind::copyEventFailed);
        if (timing.copyWaitBase == 0) {
            copied = co_await waitForCopiedText(kCopyPollLimitMs);
        } else {
            co_await pauseOrThrow(timing.copyWaitBase + attempt * timing.copyWaitStep, token);
            QCoro::Task<QString> read = copiedText();
            copied = co_await std::move(read);
        }
        if (!isBlank(copied)) {
            break;
        }
    }

    // The user's pasteboard comes back exactly once, whatever the outcome below.
    loan.copyGave(copied);
    // A line of blanks moved the caret too.
    if (caret && !copied.isEmpty() && reader_.undoLineCopy(*caret, copied)) {
        copied.clear();
    }
    co_await loan.end();

    if (!isBlank(copied)) {
        co_return SelectionRead{copied, source};
    }
    if (includeFocusedTextFallback) {
        QString focused = reader_.focusedText();
        if (!isBlank(focused)) {
            co_return SelectionRead{focused, source};
        }
    }
    throw PasteboardServiceError(PasteboardServiceErrorKind::emptySelection);
}

QCoro::Task<> PasteboardService::pasteTransient(QString text,
                                                std::optional<QString> targetBundleIdentifier,
                                                PasteboardTiming timing, CancelToken token) {
    FocusService& focus = deps_.focus;
    // Built outside the co_await: GCC 12 destroys the temporaries of a co_await expression
    // twice.
    QCoro::Task<bool> paste = pasteInto(
        std::move(text),
        [&focus, id = std::move(targetBundleIdentifier)] {
            return id ? focus.activate(*id) : focus.activateRememberedApplication();
        },
        timing, std::move(token));
    co_await std::move(paste);
}

QCoro::Task<> PasteboardService::pasteTransient(QString text, FocusTarget target,
                                                PasteboardTiming timing, CancelToken token) {
    QCoro::Task<bool> paste =
        pasteTransientConfirmed(std::move(text), std::move(target), timing, std::move(token));
    co_await std::move(paste);
}

QCoro::Task<bool> PasteboardService::pasteTransientConfirmed(QString text, FocusTarget target,
                                                             PasteboardTiming timing,
                                                             CancelToken token) {
    FocusService& focus = deps_.focus;
    return pasteInto(
        std::move(text), [&focus, target = std::move(target)] { return focus.activate(target); },
        timing, std::move(token));
}

std::optional<FocusTarget> PasteboardService::rememberedTarget() const {
    return deps_.focus.rememberedTarget();
}

QCoro::Task<bool> PasteboardService::pasteInto(QString text, std::function<bool()> activateTarget,
                                               PasteboardTiming timing, CancelToken token) {
    if (text.isEmpty()) {
        throw PasteboardServiceError(PasteboardServiceErrorKind::emptyText);
    }
    PasteboardLoan loan = co_await lender_.lend(PasteboardLoan::Road::paste);
    const bool activated = activateTarget();
    if (!activated) {
        throw PasteboardServiceError(PasteboardServiceErrorKind::pasteTargetUnavailable);
    }
    co_await pauseOrThrow(timing.activationDelay, token);
    loan.writeText(text);
    co_await pauseOrThrow(timing.pasteDelay, token);
    if (timing.waitForModifierRelease) {
        co_await waitForModifierKeysToClear();
    }
    try {
        co_await sendEditShortcut(KeyCode::V, PasteboardServiceErrorKind::pasteEventFailed);
    } catch (...) {
        loan.leaveTextInPlace();
        throw;
    }
    loan.pasteSent();
    // A cancel gives the pasteboard back at once.
    co_await deps_.clock.sleep(timing.restoreDelay, token);
    const bool served = co_await loan.end(token);
    if (token.isCancelled()) {
        throw CancelledError();
    }
    co_return served;
}

QCoro::Task<bool> PasteboardService::replaceSelectedTextViaAccessibility(QString text) {
    if (text.isEmpty()) {
        co_return false;
    }
    co_return reader_.replaceSelectedText(text);
}

QString PasteboardService::peekSelectedTextViaAccessibility() const {
    return reader_.selectedText();
}

QString PasteboardService::peekSelectedTextForLayoutViaAccessibility() const {
    return reader_.selectedTextForLayout();
}
