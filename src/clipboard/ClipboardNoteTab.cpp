#include "clipboard/ClipboardNoteTab.h"

#include "clipboard/ReferenceDate.h"

Json ClipboardNoteTab::toJson() const {
    Json object = Json::object();
    object["id"] = json::str(id);
    object["title"] = json::str(title);
    Json list = Json::array();
    for (const ClipboardNoteItem& note : notes) {
        list.push_back(note.toJson());
    }
    object["notes"] = std::move(list);
    object["createdAt"] = referenceDate::seconds(createdAt);
    object["updatedAt"] = referenceDate::seconds(updatedAt);
    return object;
}

std::optional<ClipboardNoteTab> ClipboardNoteTab::fromJson(const Json& object) {
    if (!object.is_object()) {
        return std::nullopt;
    }
    const auto id = json::requiredString(object, "id");
    const auto title = json::requiredString(object, "title");
    const auto createdAt = referenceDate::read(object, "createdAt");
    const auto updatedAt = referenceDate::read(object, "updatedAt");
    const auto list = object.find("notes");
    if (!id || !title || !createdAt || !updatedAt || list == object.end() || !list->is_array()) {
        return std::nullopt;
    }
    ClipboardNoteTab tab{*id, *title, {}, *createdAt, *updatedAt};
    tab.notes.reserve(static_cast<qsizetype>(list->size()));
    for (const Json& element : *list) {
        auto note = ClipboardNoteItem::fromJson(element);
        if (!note) {
            return std::nullopt;
        }
        tab.notes.append(std::move(*note));
    }
    return tab;
}

QByteArray ClipboardNoteTab::encodeList(const QList<ClipboardNoteTab>& tabs) {
    return json::encodeList(tabs, [](const ClipboardNoteTab& tab) { return tab.toJson(); });
}

std::optional<QList<ClipboardNoteTab>> ClipboardNoteTab::decodeList(const QByteArray& data) {
    return json::decodeList<ClipboardNoteTab>(data, &ClipboardNoteTab::fromJson);
}

std::optional<QDateTime> ClipboardNoteTab::latestUpdate(const QList<ClipboardNoteTab>& tabs) {
    std::optional<QDateTime> latest;
    const auto consider = [&](const QDateTime& date) {
        if (!latest || date > *latest) {
            latest = date;
        }
    };
    for (const ClipboardNoteTab& tab : tabs) {
        consider(tab.updatedAt);
        for (const ClipboardNoteItem& note : tab.notes) {
            consider(note.updatedAt);
        }
    }
    return latest;
}
