#pragma once

#include <QList>
#include <QSet>
#include <QString>

#include "core/AIReplyStyle.h"

// The built-in reply styles, the restore of saved ones, and each style's name for the backend.
namespace AIReplyStyleLibrary {

const QList<AIReplyStyle>& defaultStyles();
const QSet<QString>& builtInStyleIds();

// The built-ins in built-in order with the user's non-empty fields, then the saved custom
// styles; an empty list gives the built-ins. Of an id saved twice the first entry wins.
QList<AIReplyStyle> restoredStyles(const QList<AIReplyStyle>& saved);
// Empty for a style the backend has no name for.
QString backendStyleName(const AIReplyStyle& style);

}  // namespace AIReplyStyleLibrary
