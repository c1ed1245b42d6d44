#pragma once

#include <QString>

// The two-letter badge of a language name from the language list ("English" -> "EN").
QString languageCode(const QString& languageName);
