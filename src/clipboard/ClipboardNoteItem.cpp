#include "clipboard/ClipboardNoteItem.h"

#include "clipboard/ReferenceDate.h"

Json ClipboardNoteItem::toJson() const {
    Json object = Json::object();
    object["id"] = json::str(id);
    object["text"] = json::str(text);
    object["createdAt"] = referenceDate::seconds(createdAt);
    object["updatedAt"] = referenceDate::seconds(updatedAt);
    return object;
}

std::optional<ClipboardNoteItem> ClipboardNoteItem::fromJson(const Json& object) {
    if (!object.is_object()) {
        return std::nullopt;
    }
    const auto id = json::requiredString(object, "id");
    const auto text = json::requiredString(object, "text");
    const auto createdAt = referenceDate::read(object, "createdAt");
    const auto updatedAt = referenceDate::read(object, "updatedAt");
    if (!id || !text || !createdAt || !updatedAt) {
        return std::nullopt;
    }
    return ClipboardNoteItem{*id, *text, *createdAt, *updatedAt};
}
