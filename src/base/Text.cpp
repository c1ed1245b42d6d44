#include "base/Text.h"

#include <QTextBoundaryFinder>
#include <QTextDocument>

QString text::trimmed(const QString& s) {
    return s.trimmed();
}

QString text::inPlaceOfSelection(const QString& selection, const QString& answer) {
    qsizetype start = 0;
    while (start < selection.size() && selection.at(start).isSpace()) {
        ++start;
    }
    qsizetype end = selection.size();
    while (end > start && selection.at(end - 1).isSpace()) {
        --end;
    }
    return selection.left(start) + answer + selection.mid(end);
}

int text::graphemeCount(const QString& s) {
    if (s.isEmpty()) {
        return 0;
    }
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, s);
    int count = 0;
    while (finder.toNextBoundary() != -1) {
        ++count;
    }
    return count;
}

std::optional<qint64> text::parseStrictInt(const QString& s) {
    int i = 0;
    if (s.startsWith(QLatin1Char('+')) || s.startsWith(QLatin1Char('-'))) {
        i = 1;
    }
    if (i >= s.size()) {
        return std::nullopt;
    }
    for (int j = i; j < s.size(); ++j) {
        if (s[j] < QLatin1Char('0') || s[j] > QLatin1Char('9')) {
            return std::nullopt;
        }
    }
    bool ok = false;
    const qint64 value = s.toLongLong(&ok);
    if (!ok) {
        return std::nullopt;
    }
    return value;
}

QString text::documentText(const QTextDocument& document) {
    QString text = document.toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

bool text::documentShows(const QTextDocument& document, const QString& text) {
    const QString shown = documentText(document);
    if (shown == text) {
        return true;
    }
    // setPlainText starts a paragraph at each of these, and one at "\r\n".
    QString asSet = text;
    asSet.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    for (const QChar breaking :
         {QChar(u'\r'), QChar(QChar::ParagraphSeparator), QChar(0xfdd0), QChar(0xfdd1)}) {
        asSet.replace(breaking, QLatin1Char('\n'));
    }
    return shown == asSet;
}
