#include "capture/PasteboardService.h"

#include "base/CancelledError.h"
#include "base/Text.h"
#include "capture/FocusService.h"
#include "capture/PasteboardServiceError.h"
#include "capture/PasteboardSnapshot.h"
#include "clipboard/ClipboardCapture.h"
#include "clipboard/ClipboardHistoryService.h"
#include "platform/Clock.h"
#include "platform/KeyEvents.h"
#include "platform/Pasteboard.h"
#include "platform/Platform.h"
#include "platform/Workspace.h"

namespace {
constexpr qint64 kKeyGapMs = 20;
constexpr qint64 kModifierPollMs = 35;
constexpr int kModifierPolls = 16;
constexpr qint64 kCopyPollMs = 2;
constexpr qint64 kCopyPollLimitMs = 120;
constexpr int kCopyAttempts = 3;
// The restore waits for the paste target to fetch the text and take it in full, polling, at
// most this long after Paste, plus 2 ms per 1,000 characters: a large text is fetched in
// pieces, and replacing the clipboard meanwhile loses the paste.
constexpr qint64 kPasteServedPollMs = 5;
constexpr qint64 kPasteServedLimitMs = 1300;
constexpr qint64 kPasteWaitCharactersPerMs = 500;
// A target that took no step of its fetch for this long has stopped fetching.
constexpr qint64 kFetchQuietMs = 1000;
// The edit shortcuts are Control plus a letter on Linux.
constexpr KeyModifier kShortcutModifier = KeyModifier::Control;

bool isBlank(const QString& text) {
    return text::trimmed(text).isEmpty();
}

bool sameText(const QString& a, const QString& b) {
    return a.normalized(QString::NormalizationForm_C) == b.normalized(QString::NormalizationForm_C);
}
}  // namespace

PasteboardService::TransactionMark::TransactionMark(PasteboardService& service)
    : service_(service) {
    ++service_.transactionsUnderWay_;
}

PasteboardService::TransactionMark::~TransactionMark() {
    --service_.transactionsUnderWay_;
    service_.lastTransactionEndMs_ = service_.deps_.clock.nowMs();
}

bool PasteboardService::ownKeyEventsMayArrive() const {
    return transactionsUnderWay_ > 0 ||
           (lastTransactionEndMs_ &&
            deps_.clock.nowMs() - *lastTransactionEndMs_ < kOwnKeysSettleMs);
}

PasteboardService::PasteboardService(Dependencies dependencies)
    : deps_(dependencies),
      reader_(dependencies.workspace, dependencies.accessibility, dependencies.focus),
      guard_({dependencies.clock, dependencies.pasteboard, dependencies.capture,
              dependencies.workspace.ownProcessIdentifier(),
              [this] { return transactions_.isLocked(); }}) {}

namespace {
// Clears the borrowed snapshot when the transaction ends, however it ends.
class Borrow {
public:
    Borrow(const PasteboardSnapshot*& slot, const PasteboardSnapshot& snapshot) : slot_(slot) {
        slot_ = &snapshot;
    }
    ~Borrow() { slot_ = nullptr; }
    Borrow(const Borrow&) = delete;
    Borrow& operator=(const Borrow&) = delete;

private:
    const PasteboardSnapshot*& slot_;
};
}  // namespace

void PasteboardService::returnBorrowedPasteboard() {
    guard_.stop();
    if (borrowed_) {
        borrowed_->restore(deps_.pasteboard);
        deps_.capture.finishTransientPasteboardUse();
        borrowed_ = nullptr;
    }
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

QCoro::Task<QString> PasteboardService::waitForCopiedText(qint64 milliseconds) {
    const qint64 deadline = deps_.clock.nowMs() + milliseconds;
    while (true) {
        QString text = deps_.pasteboard.plainText().value_or(QString());
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
    const auto transaction = co_await transactions_.lock();
    const TransactionMark mark(*this);
    guard_.settleNow();
    deps_.capture.suppressCapture(kSuppressSeconds);
    const PasteboardSnapshot snapshot = PasteboardSnapshot::capture(deps_.pasteboard);
    const Borrow borrow(borrowed_, snapshot);

    QString copied;
    std::optional<FocusTarget> source;
    // Where the Copy went: the owner of a late answer to it.
    std::optional<qint64> copyTarget = deps_.focus.rememberedProcessIdentifier();
    try {
        // With nothing remembered the Copy goes to whatever application is frontmost.
        deps_.focus.activateRememberedApplication();
        source = deps_.focus.rememberedTarget();
        co_await pauseOrThrow(timing.activationDelay, token);

        if (selectAllBeforeCopy) {
            if (timing.waitForModifierRelease) {
                co_await waitForModifierKeysToClear();
            }
            co_await sendEditShortcut(KeyCode::A, PasteboardServiceErrorKind::copyEventFailed);
            co_await pauseOrThrow(timing.selectAllDelay, token);
        }

        for (int attempt = 0; attempt < kCopyAttempts; ++attempt) {
            // Renewed per attempt, so a slow read never outlives its suppression.
            deps_.capture.suppressCapture(kSuppressSeconds);
            deps_.pasteboard.clear();
            if (timing.waitForModifierRelease) {
                co_await waitForModifierKeysToClear();
            }
            if (const auto front = deps_.workspace.frontmostApplication()) {
                copyTarget = front->processIdentifier;
            }
            co_await sendEditShortcut(KeyCode::C, PasteboardServiceErrorKind::copyEventFailed);
            if (timing.copyWaitBase == 0) {
                copied = co_await waitForCopiedText(kCopyPollLimitMs);
            } else {
                co_await pauseOrThrow(timing.copyWaitBase + attempt * timing.copyWaitStep, token);
                copied = deps_.pasteboard.plainText().value_or(QString());
            }
            if (!isBlank(copied)) {
                break;
            }
        }
    } catch (...) {
        snapshot.restore(deps_.pasteboard);
        deps_.capture.finishTransientPasteboardUse();
        guard_.start(snapshot, copyTarget, QString());
        throw;
    }

    // The user's pasteboard comes back exactly once, whatever the outcome below.
    snapshot.restore(deps_.pasteboard);
    deps_.capture.finishTransientPasteboardUse();
    guard_.start(snapshot, copyTarget, isBlank(copied) ? QString() : copied);

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
    const auto transaction = co_await transactions_.lock();
    const TransactionMark mark(*this);
    guard_.settleNow();
    deps_.capture.suppressCapture(kSuppressSeconds);
    const PasteboardSnapshot snapshot = PasteboardSnapshot::capture(deps_.pasteboard);
    const Borrow borrow(borrowed_, snapshot);

    const bool activated = activateTarget();
    if (!activated) {
        // The pasteboard was not touched: nothing to restore.
        deps_.capture.finishTransientPasteboardUse();
        throw PasteboardServiceError(PasteboardServiceErrorKind::pasteTargetUnavailable);
    }
    const bool activationElapsed = co_await deps_.clock.sleep(timing.activationDelay, token);
    if (!activationElapsed) {
        deps_.capture.finishTransientPasteboardUse();
        throw CancelledError();
    }

    deps_.pasteboard.clear();
    deps_.pasteboard.setPlainText(text);

    const bool pasteDelayElapsed = co_await deps_.clock.sleep(timing.pasteDelay, token);
    bool cancelled = !pasteDelayElapsed;
    bool served = false;
    if (!cancelled) {
        if (timing.waitForModifierRelease) {
            co_await waitForModifierKeysToClear();
        }
        // When Paste cannot be sent the text stays on the pasteboard: it is then the only copy
        // of the result. The suppression runs out by itself.
        co_await sendEditShortcut(KeyCode::V, PasteboardServiceErrorKind::pasteEventFailed);
        const qint64 pastedAt = deps_.clock.nowMs();
        const bool restoreDelayElapsed = co_await deps_.clock.sleep(timing.restoreDelay, token);
        cancelled = !restoreDelayElapsed;
        if (!cancelled) {
            const bool waited = co_await waitForPasteServed(text.size(), pastedAt, token);
            cancelled = !waited;
        }
        served = deps_.pasteboard.lastWriteFetch().served;
    }

    // Someone who wrote the pasteboard meanwhile keeps their content.
    const auto current = deps_.pasteboard.plainText();
    if (current && sameText(*current, text)) {
        snapshot.restore(deps_.pasteboard);
    }
    deps_.capture.finishTransientPasteboardUse();
    if (cancelled) {
        throw CancelledError();
    }
    co_return served;
}

QCoro::Task<bool> PasteboardService::waitForPasteServed(qsizetype textSize, qint64 pastedAtMs,
                                                        CancelToken token) {
    // Where the target fetches the paste from us later (X11), restoring before it took the
    // text would paste the user's old content instead, or nothing.
    const qint64 limitMs = kPasteServedLimitMs + textSize / kPasteWaitCharactersPerMs;
    quint64 steps = 0;
    qint64 lastStepAt = pastedAtMs;
    while (true) {
        const PasteboardFetch fetch = deps_.pasteboard.lastWriteFetch();
        const qint64 now = deps_.clock.nowMs();
        if (fetch.steps != steps) {
            steps = fetch.steps;
            lastStepAt = now;
        }
        const bool taken = fetch.served && fetch.underway == 0;
        const bool stalled = fetch.served && now - lastStepAt >= kFetchQuietMs;
        const qint64 left = limitMs - (now - pastedAtMs);
        if (taken || stalled || left <= 0) {
            co_return true;
        }
        // A long wait keeps the text out of the clipboard history.
        deps_.capture.suppressCapture(kSuppressSeconds);
        const bool polled = co_await deps_.clock.sleep(qMin(left, kPasteServedPollMs), token);
        if (!polled) {
            co_return false;
        }
    }
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
