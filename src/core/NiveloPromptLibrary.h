#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/BackendAction.h"
#include "core/PromptStyle.h"

struct QuickAction;

// The built-in prompt styles, the restore of saved ones, and the target-language names.
namespace NiveloPromptLibrary {

const QList<PromptStyle>& defaultStyles();
const QSet<QString>& builtInStyleIds();
// The target-language names sent to the backend as they stand.
const QStringList& languages();

// One style per built-in in built-in order, taking over what the user changed (outdated
// built-in prompts are replaced), then the saved custom styles. Of an id saved twice the first
// entry wins.
QList<PromptStyle> mergeSavedStyles(const QList<PromptStyle>& saved);
// The first style of `styles` with that id, else the built-in with that id.
std::optional<PromptStyle> style(const QString& id, const QList<PromptStyle>& styles);
BackendAction backendAction(const QuickAction& action, const PromptStyle& style);

}  // namespace NiveloPromptLibrary

// A text cut into pieces for the backend, with the white space each cut took out.
struct BackendTextPieces {
    QStringList pieces;
    // gaps[i] stood between pieces[i] and pieces[i + 1]: a blank line, a line break with the
    // next line's indentation, the space after a sentence, or nothing inside a word.
    QStringList gaps;
};

// Pieces of at most maxChars characters, cut at paragraph, line or sentence ends where the
// window has one. A maxChars of 0 or less means no split.
QStringList splitTextForBackend(const QString& text, int maxChars);
// The pieces of splitTextForBackend with the white space between them.
BackendTextPieces cutTextForBackend(const QString& text, int maxChars);
// The answers to the pieces in order, each followed by the gap its piece had to the next, so
// that answers equal to their pieces give back the trimmed text.
QString joinBackendAnswers(const QStringList& answers, const QStringList& gaps);
// A form of a text for telling whether a translation came back unchanged.
QString normalizeTranslationCompare(const QString& text);
