#include "clipboardwindow/LocalizedSearch.h"

#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>

#include <algorithm>

namespace {

bool isAscii(const QString& text) {
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

const UChar* units(const QString& text) {
    return reinterpret_cast<const UChar*>(text.utf16());
}

// One ICU string operation into a QString, grown once when the first guess is short.
template <typename Operation>
QString transformed(const QString& text, qsizetype guess, Operation operation) {
    QString out(std::max<qsizetype>(guess, 1), Qt::Uninitialized);
    UErrorCode error = U_ZERO_ERROR;
    int32_t size = operation(reinterpret_cast<UChar*>(out.data()), int32_t(out.size()), &error);
    if (error == U_BUFFER_OVERFLOW_ERROR) {
        out.resize(size);
        error = U_ZERO_ERROR;
        size = operation(reinterpret_cast<UChar*>(out.data()), int32_t(out.size()), &error);
    }
    if (U_FAILURE(error)) {
        return text;
    }
    out.truncate(size);
    return out;
}

QString normalized(const UNormalizer2* form, const QString& text) {
    UErrorCode error = U_ZERO_ERROR;
    if (!form || unorm2_isNormalized(form, units(text), int32_t(text.size()), &error)) {
        return text;
    }
    return transformed(text, text.size() * 2, [&](UChar* out, int32_t capacity, UErrorCode* e) {
        return unorm2_normalize(form, units(text), int32_t(text.size()), out, capacity, e);
    });
}

// Whether the character at `index` belongs to the one before it (a combining mark, a joiner).
bool continuesCharacter(const QString& text, qsizetype index) {
    if (index <= 0 || index >= text.size()) {
        return false;
    }
    char32_t c = text.at(index).unicode();
    if (QChar::isHighSurrogate(c) && index + 1 < text.size()) {
        c = QChar::surrogateToUcs4(text.at(index), text.at(index + 1));
    }
    return u_hasBinaryProperty(UChar32(c), UCHAR_GRAPHEME_EXTEND);
}

}  // namespace

LocalizedSearch::LocalizedSearch(const QLocale& locale)
    : turkic_(locale.language() == QLocale::Turkish || locale.language() == QLocale::Azerbaijani) {}

QString LocalizedSearch::fold(const QString& text) const {
    // Most clipboard text is ASCII: its folding is its lower case (but for the Turkish I).
    if (isAscii(text) && !(turkic_ && text.contains(QLatin1Char('I')))) {
        return text.toLower();
    }
    // Composed first, so canonically equivalent texts fold alike (and a decomposed Turkish "İ"
    // folds as the letter it is), then folded, then composed again.
    UErrorCode error = U_ZERO_ERROR;
    const UNormalizer2* nfc = unorm2_getNFCInstance(&error);
    const QString composed = normalized(nfc, text);
    const uint32_t options = turkic_ ? U_FOLD_CASE_EXCLUDE_SPECIAL_I : U_FOLD_CASE_DEFAULT;
    const QString caseless = transformed(
        composed, composed.size() + 8, [&](UChar* out, int32_t capacity, UErrorCode* e) {
            return u_strFoldCase(out, capacity, units(composed), int32_t(composed.size()), options,
                                 e);
        });
    return normalized(nfc, caseless);
}

void LocalizedSearch::setQuery(const QString& query) {
    query_ = fold(query);
}

const QString& LocalizedSearch::folded(const QString& text) {
    auto found = keys_.constFind(text);
    if (found == keys_.cend()) {
        found = keys_.insert(text, fold(text));
    }
    return *found;
}

bool LocalizedSearch::finds(const QString& text) {
    if (query_.isEmpty()) {
        return true;
    }
    const QString& key = folded(text);
    for (qsizetype at = key.indexOf(query_); at >= 0; at = key.indexOf(query_, at + 1)) {
        if (!continuesCharacter(key, at) && !continuesCharacter(key, at + query_.size())) {
            return true;
        }
    }
    return false;
}

void LocalizedSearch::beginPass(qsizetype size) {
    // Texts edited or deleted leave their keys behind; past a bound they all go.
    if (keys_.size() > 2 * size + 64) {
        keys_.clear();
    }
}
