#pragma once

#include <QHash>
#include <QLocale>
#include <QString>

// The clipboard window's search, as the user's locale reads text: canonically equivalent texts
// are equal (a composed "é" and an "e" with a combining acute), case is folded in full
// ("Straße" holds "STRASSE"), by the Turkish rules under a Turkish or Azerbaijani locale (I
// with ı, İ with i), and a match covers whole characters ("e" is not found in "é"). Each text
// is folded once while the list holds it.
class LocalizedSearch {
public:
    explicit LocalizedSearch(const QLocale& locale = QLocale());

    // The composed, fully case-folded form that matches compare.
    QString fold(const QString& text) const;
    // Starts a search for the query: an empty one finds every text.
    void setQuery(const QString& query);
    bool finds(const QString& text);
    // Starts a pass over a list of `size` texts: keeps the folded texts while they stay
    // within twice the list's size, so a list's texts are folded once.
    void beginPass(qsizetype size);

private:
    const QString& folded(const QString& text);

    bool turkic_ = false;
    QString query_;
    // Folded texts by their text.
    QHash<QString, QString> keys_;
};
