#pragma once

#include <QString>

// The interface language. Stored as "en" or "ru"; anything else reads as en.
enum class UiLanguage { en, ru };

inline QString rawValue(UiLanguage lang) {
    return lang == UiLanguage::ru ? QStringLiteral("ru") : QStringLiteral("en");
}

inline UiLanguage uiLanguageFromRaw(const QString& raw) {
    return raw == QLatin1String("ru") ? UiLanguage::ru : UiLanguage::en;
}

// Picks the text of the interface language; both forms stand where the text is used.
inline QString tr2(UiLanguage lang, const QString& english, const QString& russian) {
    return lang == UiLanguage::ru ? russian : english;
}
