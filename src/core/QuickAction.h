#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Something the user can run: a fixed action ("ai", "translate", "clipboard", "layout") or a
// prompt style ("style:" followed by the style's id).
struct QuickAction {
    QString id;

    bool operator==(const QuickAction&) const = default;

    // The canonical form of a stored or typed id.
    static QString normalize(const QString& raw);
    // The default of both quick-menu lists.
    static const QStringList& defaultIds();
    static const QList<QuickAction>& defaultActions();

    // "translate" for the fixed translate action; the text after "style:" (maybe empty).
    std::optional<QString> styleId() const;
    // One fixed title for both interface languages.
    QString title() const;
    QString symbolName() const;
};
