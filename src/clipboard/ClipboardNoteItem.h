#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

#include "base/Json.h"

// One note of a notes tab: trimmed, never empty text.
struct ClipboardNoteItem {
    QString id;
    QString text;
    QDateTime createdAt;
    QDateTime updatedAt;

    friend bool operator==(const ClipboardNoteItem&, const ClipboardNoteItem&) = default;

    // {"id", "text", "createdAt", "updatedAt"}, dates as the history's; all required.
    Json toJson() const;
    static std::optional<ClipboardNoteItem> fromJson(const Json& object);
};
