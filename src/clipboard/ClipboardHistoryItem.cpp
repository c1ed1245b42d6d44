#include "clipboard/ClipboardHistoryItem.h"

#include <cmath>

namespace {
// Stored dates count seconds from 2001-01-01 00:00:00 UTC.
constexpr qint64 kReferenceDateEpochMs = 978307200000LL;

double referenceSeconds(const QDateTime& date) {
    return static_cast<double>(date.toMSecsSinceEpoch() - kReferenceDateEpochMs) / 1000.0;
}

QDateTime fromReferenceSeconds(double seconds) {
    const auto ms = static_cast<qint64>(std::llround(seconds * 1000.0)) + kReferenceDateEpochMs;
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
}
}  // namespace

Json ClipboardHistoryItem::toJson() const {
    Json object = Json::object();
    object["id"] = json::str(id);
    object["text"] = json::str(text);
    object["createdAt"] = referenceSeconds(createdAt);
    object["chars"] = chars;
    return object;
}

std::optional<ClipboardHistoryItem> ClipboardHistoryItem::fromJson(const Json& object) {
    if (!object.is_object()) {
        return std::nullopt;
    }
    const auto id = json::requiredString(object, "id");
    const auto text = json::requiredString(object, "text");
    const auto chars = json::requiredInt(object, "chars");
    const auto created = object.find("createdAt");
    if (!id || !text || !chars || created == object.end() || !created->is_number()) {
        return std::nullopt;
    }
    return ClipboardHistoryItem{*id, *text, fromReferenceSeconds(created->get<double>()), *chars};
}

QByteArray ClipboardHistoryItem::encodeList(const QList<ClipboardHistoryItem>& items) {
    return json::encodeList(items, [](const ClipboardHistoryItem& item) { return item.toJson(); });
}

std::optional<QList<ClipboardHistoryItem>> ClipboardHistoryItem::decodeList(
    const QByteArray& data) {
    return json::decodeList<ClipboardHistoryItem>(data, &ClipboardHistoryItem::fromJson);
}
