#pragma once

#include <QString>

#include "base/EnumCases.h"

// The interface language. Stored as "en" or "ru"; anything else reads as en.
enum class UiLanguage { en, ru };

inline QString rawValue(UiLanguage lang) {
    return lang == UiLanguage::ru ? QStringLiteral("ru") : QStringLiteral("en");
}

template <>
inline QList<UiLanguage> allCases<UiLanguage>() {
    return {UiLanguage::en, UiLanguage::ru};
}

// The lenient reading of the settings record: only "ru" is Russian.
inline UiLanguage uiLanguageFromRaw(const QString& raw) {
    return raw == QLatin1String("ru") ? UiLanguage::ru : UiLanguage::en;
}

// Picks the text of the interface language; both forms stand where the text is used.
inline QString tr2(UiLanguage lang, const QString& english, const QString& russian) {
    return lang == UiLanguage::ru ? russian : english;
}
