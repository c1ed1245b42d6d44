#pragma once

#include "platform/LanguageRecognizer.h"

// Language recognition by CLD2. Answers only what CLD2 calls reliable: short or mixed texts
// often give "".
class Cld2LanguageRecognizer : public LanguageRecognizer {
public:
    QString dominantLanguage(const QString& text) const override;
};
