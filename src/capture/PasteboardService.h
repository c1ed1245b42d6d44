#pragma once

#include <QCoro/QCoroTask>
#include <QString>
#include <functional>
#include <optional>

#include "capture/AccessibilityTextReader.h"
#include "capture/FocusService.h"
#include "capture/PasteboardLender.h"
#include "capture/PasteboardTiming.h"
#include "capture/SelectionRead.h"
#include "platform/CancelToken.h"

class Accessibility;
class ClipboardCapture;
class Clock;
class KeyEvents;
class Pasteboard;
class Workspace;
enum class PasteboardServiceErrorKind;

// Reads the selection of another application by a simulated Copy and writes results back by a
// simulated Paste, each time lending the user's pasteboard for a moment and giving it back.
// Pasteboard transactions run one at a time, in the order they were asked for.
class PasteboardService {
public:
    struct Dependencies {
        Clock& clock;
        Pasteboard& pasteboard;
        KeyEvents& keyEvents;
        Workspace& workspace;
        Accessibility& accessibility;
        FocusService& focus;
        ClipboardCapture& capture;
    };

    explicit PasteboardService(Dependencies dependencies);

    // The process-wide instance over the current platform, created on first use.
    static PasteboardService& shared();

    // The selected text of the remembered application and where it came from. Fails with
    // PasteboardServiceError or CancelledError.
    QCoro::Task<SelectionRead> readSelectedTextTransient(bool selectAllBeforeCopy,
                                                         bool includeFocusedTextFallback,
                                                         PasteboardTiming timing,
                                                         CancelToken token = {});

    // Pastes `text` into the application with that identifier (none: the remembered one) and
    // gives the user's pasteboard back afterwards. Fails with PasteboardServiceError or
    // CancelledError.
    QCoro::Task<> pasteTransient(QString text, std::optional<QString> targetBundleIdentifier,
                                 PasteboardTiming timing, CancelToken token = {});
    // The same into exactly that process: pasteTargetUnavailable when it is gone.
    QCoro::Task<> pasteTransient(QString text, FocusTarget target, PasteboardTiming timing,
                                 CancelToken token = {});
    // The same; true when the target fetched the text (where the pasteboard can tell, else
    // always): false means the paste did not put the text in place.
    QCoro::Task<bool> pasteTransientConfirmed(QString text, FocusTarget target,
                                              PasteboardTiming timing, CancelToken token = {});
    // Pastes an AI reply into the message editor of that process and confirms through
    // accessibility that the editor changed; the user's pasteboard comes back afterwards.
    // Fails with PasteboardServiceError.
    QCoro::Task<> pasteAIReply(QString text, qint64 targetProcessIdentifier);
    // What the accessibility readers read from now.
    std::optional<FocusTarget> rememberedTarget() const;

    // Sets the focused field's selected text through accessibility; false when that is not
    // possible (the caller pastes instead). Never touches the pasteboard.
    QCoro::Task<bool> replaceSelectedTextViaAccessibility(QString text);

    QString peekSelectedTextViaAccessibility() const;
    QString peekSelectedTextForLayoutViaAccessibility() const;

    // For the app's exit: a transaction that holds the user's pasteboard gives it back now, as
    // it will never resume; the watch for late copies ends.
    void returnBorrowedPasteboard();
    const ClipboardRestoreGuard& restoreGuard() const { return lender_.restoreGuard(); }

    // How long after a transaction the key events it posted may still come in.
    static constexpr qint64 kOwnKeysSettleMs = 400;
    // Whether key events seen now may be the ones this service posted: a transaction is under
    // way or ended less than kOwnKeysSettleMs ago. Event monitors do not take them as the
    // user's.
    bool ownKeyEventsMayArrive() const;

private:
    // Sends Control plus the key; throws PasteboardServiceError.
    QCoro::Task<> sendShortcut(quint16 keyCode);
    // The same, with every failure reported as `failure`.
    QCoro::Task<> sendEditShortcut(quint16 keyCode, PasteboardServiceErrorKind failure);
    QCoro::Task<> waitForModifierKeysToClear();
    QCoro::Task<QString> waitForCopiedText(qint64 milliseconds);
    // The pasteboard's plain text, "" for none, once any read of it aside has ended.
    QCoro::Task<QString> copiedText();
    QCoro::Task<> pauseOrThrow(qint64 milliseconds, CancelToken token);
    // True when the target fetched the text.
    QCoro::Task<bool> pasteInto(QString text, std::function<bool()> activateTarget,
                                PasteboardTiming timing, CancelToken token);

    // The reply editor before the paste: its text and its character count.
    struct AIReplyEditorState {
        std::optional<QString> value;
        std::optional<double> characterCount;
        friend bool operator==(const AIReplyEditorState&, const AIReplyEditorState&) = default;
    };
    std::optional<AIReplyEditorState> aiReplyEditorState() const;
    QCoro::Task<bool> waitForTargetActivation(qint64 processIdentifier);
    QCoro::Task<bool> waitForAIReplyEditorFocus(qint64 processIdentifier);
    QCoro::Task<bool> waitForAIReplyPasteConfirmation(std::optional<AIReplyEditorState> before);

    Dependencies deps_;
    AccessibilityTextReader reader_;
    PasteboardLender lender_;
};
