#pragma once

#include <QString>
#include <optional>

#include "core/UiLanguage.h"

// A text of the update endpoint in either interface language. The endpoint sends a plain
// string (kept as the fallback) or an object with "en" and "ru".
struct LocalizedUpdateText {
    std::optional<QString> en;
    std::optional<QString> ru;
    std::optional<QString> fallback;

    // The language's own text when there is one (an empty one included), else the first of
    // fallback, en and ru that there is.
    std::optional<QString> value(UiLanguage language) const;

    friend bool operator==(const LocalizedUpdateText&, const LocalizedUpdateText&) = default;
};
