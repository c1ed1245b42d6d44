#pragma once

#include <QAccessible>
#include <QRegularExpression>
#include <QStringList>
#include <QWidget>

#include "core/NiveloPromptLibrary.h"

// The names and descriptions assistive tools read of a window and its widgets (through Qt's
// accessibility interfaces), and the tool tips, left in English: Latin words and no Cyrillic.
// Names the same in both languages pass: the product's name, the target languages (shown in
// their English names in both), and `alsoAllowed`.
inline QStringList englishNames(const QWidget* window, const QStringList& alsoAllowed = {}) {
    const QStringList allowed =
        QStringList{"NiveloAI", "AI Reply"} + alsoAllowed + NiveloPromptLibrary::languages();
    const QRegularExpression latin(QStringLiteral("[A-Za-z]{2}"));
    const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
    QList<const QWidget*> widgets{window};
    for (const QWidget* child : window->findChildren<QWidget*>()) {
        widgets << child;
    }
    QStringList found;
    for (const QWidget* w : widgets) {
        QAccessibleInterface* read = QAccessible::queryAccessibleInterface(const_cast<QWidget*>(w));
        const QStringList texts{read ? read->text(QAccessible::Name) : QString(),
                                read ? read->text(QAccessible::Description) : QString(),
                                w->toolTip()};
        for (const QString& text : texts) {
            if (text.contains(latin) && !text.contains(cyrillic) && !allowed.contains(text)) {
                found << QStringLiteral("%1 (%2): %3")
                             .arg(w->metaObject()->className(), w->objectName(), text);
            }
        }
    }
    found.removeDuplicates();
    return found;
}
