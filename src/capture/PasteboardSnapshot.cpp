#include "capture/PasteboardSnapshot.h"

#include "platform/Clock.h"

PasteboardSnapshot PasteboardSnapshot::capture(const Pasteboard& pasteboard) {
    PasteboardSnapshot snapshot;
    snapshot.whole = pasteboard.contentWhole();
    if (!snapshot.whole) {
        return snapshot;
    }
    const int count = pasteboard.itemCount();
    for (int index = 0; index < count; ++index) {
        PasteboardItem item;
        for (const QString& type : pasteboard.itemTypes(index)) {
            if (auto data = pasteboard.itemData(index, type)) {
                item.values.append(PasteboardValue{type, std::move(*data)});
            }
        }
        // An item whose every representation failed is kept, empty, to keep the item order.
        snapshot.items.append(std::move(item));
    }
    return snapshot;
}

void PasteboardSnapshot::restore(Pasteboard& pasteboard) const {
    if (!whole) {
        return;
    }
    pasteboard.clear();
    if (!items.isEmpty()) {
        pasteboard.writeItems(items);
    }
}

QCoro::Task<PasteboardSnapshot> PasteboardSnapshot::captureAside(Pasteboard& pasteboard,
                                                                 Clock& clock) {
    while (pasteboard.contentPending()) {
        co_await clock.sleep(kAsidePollMs);
    }
    co_return capture(pasteboard);
}
