#include "clipboard/ClipboardHistoryItem.h"

#include "clipboard/ReferenceDate.h"

Json ClipboardHistoryItem::toJson() const {
    Json object = Json::object();
    object["id"] = json::str(id);
    object["text"] = json::str(text);
    object["createdAt"] = referenceDate::seconds(createdAt);
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
    const auto createdAt = referenceDate::read(object, "createdAt");
    if (!id || !text || !chars || !createdAt) {
        return std::nullopt;
    }
    return ClipboardHistoryItem{*id, *text, *createdAt, *chars};
}

QByteArray ClipboardHistoryItem::encodeList(const QList<ClipboardHistoryItem>& items) {
    return json::encodeList(items, [](const ClipboardHistoryItem& item) { return item.toJson(); });
}

std::optional<QList<ClipboardHistoryItem>> ClipboardHistoryItem::decodeList(
    const QByteArray& data) {
    return json::decodeList<ClipboardHistoryItem>(data, &ClipboardHistoryItem::fromJson);
}
