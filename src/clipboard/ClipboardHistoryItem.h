#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

#include "base/Json.h"

// One recorded copy: trimmed text, when it was recorded and its length in user-perceived
// characters.
struct ClipboardHistoryItem {
    QString id;
    QString text;
    QDateTime createdAt;
    qint64 chars = 0;

    friend bool operator==(const ClipboardHistoryItem&, const ClipboardHistoryItem&) = default;

    // {"id", "text", "createdAt" (seconds since 2001-01-01 UTC), "chars"}; all required.
    Json toJson() const;
    static std::optional<ClipboardHistoryItem> fromJson(const Json& object);

    // The stored form of a whole list; none when any element does not decode.
    static QByteArray encodeList(const QList<ClipboardHistoryItem>& items);
    static std::optional<QList<ClipboardHistoryItem>> decodeList(const QByteArray& data);
};
