#include "assistant/LanguageCode.h"

QString languageCode(const QString& languageName) {
    return languageName.left(2).toUpper();
}
