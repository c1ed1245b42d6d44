#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

#include "base/Json.h"
#include "clipboard/ClipboardNoteItem.h"

// A named tab of notes, newest note first.
struct ClipboardNoteTab {
    QString id;
    QString title;
    QList<ClipboardNoteItem> notes;
    QDateTime createdAt;
    // The last new title, or note added, edited or deleted.
    QDateTime updatedAt;

    friend bool operator==(const ClipboardNoteTab&, const ClipboardNoteTab&) = default;

    // {"id", "title", "notes", "createdAt", "updatedAt"}; all required.
    Json toJson() const;
    static std::optional<ClipboardNoteTab> fromJson(const Json& object);

    // The stored document: compact JSON, all or nothing.
    static QByteArray encodeList(const QList<ClipboardNoteTab>& tabs);
    static std::optional<QList<ClipboardNoteTab>> decodeList(const QByteArray& data);

    // The latest change of any tab or note; none without tabs.
    static std::optional<QDateTime> latestUpdate(const QList<ClipboardNoteTab>& tabs);
};
