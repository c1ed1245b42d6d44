#include "clipboard/ClipboardHistoryService.h"

#include <cmath>

#include "base/Text.h"
#include "platform/AppPaths.h"
#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "platform/Pasteboard.h"
#include "platform/Platform.h"

ClipboardHistoryService::ClipboardHistoryService(Pasteboard& pasteboard, Clock& clock,
                                                 Defaults& store, QObject* parent)
    : QObject(parent), pasteboard_(pasteboard), clock_(clock), store_(store) {
    items_ = load();
    lastChangeCount_ = pasteboard_.changeCount();
    lastText_ = text::trimmed(pasteboard_.plainText().value_or(QString()));
}

ClipboardHistoryService& ClipboardHistoryService::shared() {
    static auto* instance = [] {
        Platform& platform = Platform::current();
        return new ClipboardHistoryService(*platform.pasteboard, *platform.clock,
                                           *platform.clipboardHistoryDefaults);
    }();
    return *instance;
}

QString ClipboardHistoryService::standardStorePath() {
    return AppPaths::dataDir() + QStringLiteral("/clipboard-history.ini");
}

void ClipboardHistoryService::setItems(QList<ClipboardHistoryItem> items) {
    items_ = std::move(items);
    Q_EMIT itemsChanged(items_);
}

QList<ClipboardHistoryItem> ClipboardHistoryService::load() const {
    const auto data = store_.dataValue(kStorageKey);
    if (!data) {
        return {};
    }
    return ClipboardHistoryItem::decodeList(*data).value_or(QList<ClipboardHistoryItem>{});
}

void ClipboardHistoryService::save() {
    store_.setData(kStorageKey, ClipboardHistoryItem::encodeList(items_));
    store_.sync();
}

void ClipboardHistoryService::suppressCapture(double seconds) {
    const qint64 candidate = clock_.nowMs() + std::llround(seconds * 1000.0);
    // A shorter suppression never shortens a longer one that is running.
    if (candidate >= suppressUntilMs_) {
        suppressUntilMs_ = candidate;
    }
}

void ClipboardHistoryService::finishTransientPasteboardUse() {
    suppressUntilMs_ = kDistantPast;
    lastChangeCount_ = pasteboard_.changeCount();
    if (const auto current = pasteboard_.plainText()) {
        lastText_ = text::trimmed(*current);
    }
}

void ClipboardHistoryService::resumeCapture(qint64 seenChangeCount) {
    suppressUntilMs_ = kDistantPast;
    lastChangeCount_ = seenChangeCount;
}

bool ClipboardHistoryService::isCaptureSuppressed() const {
    return clock_.nowMs() < suppressUntilMs_;
}
