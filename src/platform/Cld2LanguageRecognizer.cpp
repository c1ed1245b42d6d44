#include "platform/Cld2LanguageRecognizer.h"

#include <cstdio>  // the CLD2 header uses FILE without including it

#include <cld2/public/compact_lang_det.h>
#include <cld2/public/encodings.h>

namespace CLD2 {
// Declared in a header CLD2 keeps internal.
const char* LanguageCode(Language lang);
}  // namespace CLD2

QString Cld2LanguageRecognizer::dominantLanguage(const QString& text) const {
    const QByteArray utf8 = text.toUtf8();
    if (utf8.trimmed().isEmpty()) {
        return {};
    }
    CLD2::CLDHints hints{nullptr, nullptr, CLD2::UNKNOWN_ENCODING, CLD2::UNKNOWN_LANGUAGE};
    CLD2::Language language3[3];
    int percent3[3];
    double score3[3];
    int textBytes = 0;
    int validPrefixBytes = 0;
    bool reliable = false;
    const CLD2::Language language = CLD2::ExtDetectLanguageSummaryCheckUTF8(
        utf8.constData(), static_cast<int>(utf8.size()), true, &hints, 0, language3, percent3,
        score3, nullptr, &textBytes, &reliable, &validPrefixBytes);
    if (!reliable || language == CLD2::UNKNOWN_LANGUAGE || language == CLD2::TG_UNKNOWN_LANGUAGE) {
        return {};
    }
    const char* code = CLD2::LanguageCode(language);
    return code ? QString::fromLatin1(code) : QString();
}
