#pragma once

#include <QString>

// Tells which language a text is written in.
class LanguageRecognizer {
public:
    virtual ~LanguageRecognizer() = default;

    // The dominant language as a language code ("en", "ru", "zh-Hant"), or "" when it cannot
    // tell.
    virtual QString dominantLanguage(const QString& text) const = 0;
};
