#pragma once

#include <QList>

#include "platform/Pasteboard.h"

// The user's pasteboard as it was before a transient operation: every item with every
// representation that yielded data.
struct PasteboardSnapshot {
    QList<PasteboardItem> items;

    static PasteboardSnapshot capture(const Pasteboard& pasteboard);
    // Clears the pasteboard and writes the saved items back in one change.
    void restore(Pasteboard& pasteboard) const;
};
