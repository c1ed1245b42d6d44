#pragma once

#include <QString>
#include <optional>

#include "base/Json.h"

// How to answer a message the user selected in a chat.
struct AIReplyStyle {
    QString id;
    QString name;
    QString prompt;
    QString hotkey;

    bool operator==(const AIReplyStyle&) const = default;

    // Keys in the stored order: id, name, prompt, hotkey.
    Json toJson() const;
    // None unless every key is present with its type.
    static std::optional<AIReplyStyle> fromJson(const Json& object);
};
