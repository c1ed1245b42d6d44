#pragma once

#include <QCoro/QCoroTask>
#include <QString>
#include <functional>
#include <optional>

#include "capture/PasteboardSnapshot.h"

class ClipboardCapture;
class Clock;
class Pasteboard;

// Watches the pasteboard for a while after a selection read gave it back. An application that
// answers Copy late writes the selection over the restored content; such a change (the copy's
// target owns the pasteboard and it holds the copied text, or any text when the copy gave
// nothing) is undone by restoring again. The first change that is someone else's ends the
// watch, so the user's own copy is never undone. History capture stays suppressed meanwhile.
// A change of the target's that could not be read (it refused or ignored the read) is a copy
// nobody can paste: when the watch ends with it on the pasteboard, the user's content comes
// back. Reads happen aside: the watch never blocks on another application, and a read under
// way at the end keeps the watch until it ends.
class ClipboardRestoreGuard {
public:
    static constexpr qint64 kGuardMs = 2000;
    static constexpr qint64 kPollMs = 10;

    struct Dependencies {
        Clock& clock;
        Pasteboard& pasteboard;
        ClipboardCapture& capture;
        qint64 ownProcessIdentifier;
        // True while a pasteboard transaction runs: it owns the pasteboard then.
        std::function<bool()> busy;
    };

    explicit ClipboardRestoreGuard(Dependencies dependencies);
    ~ClipboardRestoreGuard();
    ClipboardRestoreGuard(const ClipboardRestoreGuard&) = delete;
    ClipboardRestoreGuard& operator=(const ClipboardRestoreGuard&) = delete;

    // Starts (or restarts) the watch right after `snapshot` was restored. `copied` is the text
    // the copy gave, empty when it gave none.
    void start(PasteboardSnapshot snapshot, std::optional<qint64> targetProcessIdentifier,
               QString copied);
    void stop();
    bool isRunning() const { return timer_ != 0; }
    // For a transaction about to save the pasteboard: a late copy that landed since the last
    // look is undone first, so it is never saved as the user's; one being read is waited for
    // in the event loop, one that could not be read is undone.
    QCoro::Task<> settle();
    // How many late copies were undone since the last start.
    int undoneCount() const { return undone_; }

private:
    void schedule();
    void check();
    enum class Look { watching, ended, reading };
    // While watching, a late copy of the target that could not be read is looked at again;
    // settling and the end undo it. A read under way is always waited for.
    enum class Mode { watch, settle, end };
    Look inspect(Mode mode);
    void undo();
    enum class Verdict { ourCopy, someoneElses, unknown, reading };
    // Whether the change to `owner` is the late answer to our Copy.
    Verdict judge(const std::optional<qint64>& owner) const;
    double remainingSeconds() const;

    Dependencies deps_;
    PasteboardSnapshot snapshot_;
    std::optional<qint64> target_;
    QString copied_;
    qint64 seenChangeCount_ = 0;
    qint64 untilMs_ = 0;
    quint64 timer_ = 0;
    bool wasBusy_ = false;
    int undone_ = 0;
};
