#pragma once

#include <QString>
#include <optional>

namespace text {

// Trims white space and line breaks at both ends.
QString trimmed(const QString& s);
// Number of user-perceived characters (grapheme clusters).
int graphemeCount(const QString& s);
// A whole decimal integer with an optional sign and nothing else (no spaces, no fraction).
std::optional<qint64> parseStrictInt(const QString& s);

}  // namespace text
