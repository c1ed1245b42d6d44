#pragma once

#include <QString>
#include <optional>

#include "base/Json.h"

// A named way of rewriting selected text, with its own hot key.
struct PromptStyle {
    QString id;
    QString name;
    QString prompt;
    QString hotkey;
    bool autoReplace = true;

    bool operator==(const PromptStyle&) const = default;

    // Keys in the stored order: id, name, prompt, hotkey, autoReplace.
    Json toJson() const;
    // None unless every key is present with its type.
    static std::optional<PromptStyle> fromJson(const Json& object);
};
