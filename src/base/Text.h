#pragma once

#include <QString>
#include <optional>

class QTextDocument;

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

// The text of an editor as typed or pasted, for storing and sending. Only the separator the
// document keeps between its paragraphs (U+2029) becomes "\n"; no-break spaces and U+2028
// stay, which toPlainText() would rewrite.
QString documentText(const QTextDocument& document);
// Whether the document already holds text as setPlainText would put it there: a view that
// sets it again anyway moves the caret and drops the selection.
bool documentShows(const QTextDocument& document, const QString& text);

}  // namespace text
