#pragma once

#include <QCoro/QCoroTask>
#include <QList>

#include "platform/Pasteboard.h"

// The user's pasteboard as it was before a transient operation: every item with every
// representation that yielded data.
class Clock;

struct PasteboardSnapshot {
    QList<PasteboardItem> items;
    // Every representation was read. A snapshot that is not whole is never restored: the
    // restore would clear what could not be read.
    bool whole = true;

    static PasteboardSnapshot capture(const Pasteboard& pasteboard);
    // The same once the pasteboard has read another owner's content aside: the wait happens
    // in the event loop, and ends when that read ends, within its own limits.
    static QCoro::Task<PasteboardSnapshot> captureAside(Pasteboard& pasteboard, Clock& clock);
    // How often the wait looks.
    static constexpr qint64 kAsidePollMs = 5;
    // Clears the pasteboard and writes the saved items back in one change.
    void restore(Pasteboard& pasteboard) const;
};
