#pragma once

#include <QString>
#include <optional>

namespace text {

// Trims white space and line breaks at both ends.
QString trimmed(const QString& s);
// The answer in the place of a selection: the selection's own leading and trailing white
// space around the answer (the backend trims what it gets and gives, so a whole line keeps its
// line break).
QString inPlaceOfSelection(const QString& selection, const QString& answer);
// Number of user-perceived characters (grapheme clusters).
int graphemeCount(const QString& s);
// A whole decimal integer with an optional sign and nothing else (no spaces, no fraction).
std::optional<qint64> parseStrictInt(const QString& s);

}  // namespace text
