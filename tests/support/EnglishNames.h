#pragma once

#include <QRegularExpression>
#include <QStringList>
#include <QWidget>

#include "core/NiveloPromptLibrary.h"
#include "theme/ThemeIcons.h"

// The accessible names and tool tips of a window and its widgets left in English: Latin words
// and no Cyrillic. Names the same in both languages pass: the product's name, the target
// languages (shown in their English names in both), the symbol names icons are named by, and
// `alsoAllowed`.
inline QStringList englishNames(const QWidget* window, const QStringList& alsoAllowed = {}) {
    QStringList allowed = QStringList{"NiveloAI", "AI Reply"} + alsoAllowed +
                          NiveloPromptLibrary::languages() + ThemeIcons::symbols();
    const QRegularExpression latin(QStringLiteral("[A-Za-z]{2}"));
    const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
    QList<const QWidget*> widgets{window};
    for (const QWidget* child : window->findChildren<QWidget*>()) {
        widgets << child;
    }
    QStringList found;
    for (const QWidget* w : widgets) {
        for (const QString& text : {w->accessibleName(), w->toolTip()}) {
            if (text.contains(latin) && !text.contains(cyrillic) && !allowed.contains(text)) {
                found << QStringLiteral("%1 (%2): %3")
                             .arg(w->metaObject()->className(), w->objectName(), text);
            }
        }
    }
    found.removeDuplicates();
    return found;
}
