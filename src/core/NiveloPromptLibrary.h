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

// Pieces of at most maxChars characters, cut at paragraph, line or sentence ends where the
// window has one. A maxChars of 0 or less means no split.
QStringList splitTextForBackend(const QString& text, int maxChars);
// A form of a text for telling whether a translation came back unchanged.
QString normalizeTranslationCompare(const QString& text);
