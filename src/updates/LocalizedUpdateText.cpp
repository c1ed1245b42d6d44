#include "updates/LocalizedUpdateText.h"

std::optional<QString> LocalizedUpdateText::value(UiLanguage language) const {
    const std::optional<QString>& own = language == UiLanguage::ru ? ru : en;
    if (own) {
        return own;
    }
    for (const std::optional<QString>* other : {&fallback, &en, &ru}) {
        if (*other) {
            return *other;
        }
    }
    return std::nullopt;
}
