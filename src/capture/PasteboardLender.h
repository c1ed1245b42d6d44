#pragma once

#include <QCoro/QCoroTask>
#include <optional>

#include "base/AsyncMutex.h"
#include "capture/ClipboardRestoreGuard.h"
#include "capture/PasteboardLoan.h"

class ClipboardCapture;
class Clock;
class Pasteboard;

// Keeps the user's pasteboard while transactions borrow it: lends it to one transaction at a
// time, in the order they asked, and after a read watches it for late answers to the Copy.
class PasteboardLender {
public:
    struct Dependencies {
        Clock& clock;
        Pasteboard& pasteboard;
        ClipboardCapture& capture;
        qint64 ownProcessIdentifier;
    };

    explicit PasteboardLender(Dependencies dependencies);
    PasteboardLender(const PasteboardLender&) = delete;
    PasteboardLender& operator=(const PasteboardLender&) = delete;

    // Waits its turn, then saves the user's pasteboard and keeps clipboard history from
    // recording what the transaction writes.
    QCoro::Task<PasteboardLoan> lend(PasteboardLoan::Road road);

    // For the app's exit: the pasteboard out on loan comes back now, as its transaction will
    // never resume; the watch for late copies ends.
    void recallNow();

    // A loan is out, or was given back less than `ms` ago.
    bool lentWithin(qint64 ms) const;
    const ClipboardRestoreGuard& restoreGuard() const { return guard_; }

private:
    friend class PasteboardLoan;

    Dependencies deps_;
    AsyncMutex turns_;
    ClipboardRestoreGuard guard_;
    PasteboardLoan::State* out_ = nullptr;
    std::optional<qint64> lastReturnMs_;
};
