#include "backend/BackendReplyCheck.h"

#include <QSet>
#include <QStringList>
#include <QTextBoundaryFinder>
#include <algorithm>

#include "base/Text.h"

namespace {

bool isWordCharacter(QStringView grapheme) {
    const char32_t first = grapheme.toUcs4().value(0);
    return QChar::isLetter(first) || QChar::isNumber(first);
}

// The first n characters (grapheme clusters) of s.
QString firstCharacters(const QString& s, int n) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, s);
    int count = 0;
    qsizetype end = 0;
    while (count < n) {
        const qsizetype next = finder.toNextBoundary();
        if (next < 0) {
            break;
        }
        end = next;
        ++count;
    }
    return s.left(end);
}

// Whether the words of needle stand in haystack as whole words.
bool containsWords(const QString& haystack, const QString& needle) {
    return (u' ' + haystack + u' ').contains(u' ' + needle + u' ');
}

// Whether haystack holds the beginning of source cut at about limit characters. A word cut
// by the limit only has to start a word of haystack.
bool containsOpening(const QString& haystack, const QString& source, int limit) {
    const QString opening = firstCharacters(source, limit);
    const bool endsAtWordEnd = opening.size() == source.size() || source.at(opening.size()) == u' ';
    if (endsAtWordEnd) {
        return containsWords(haystack, text::trimmed(opening));
    }
    return (u' ' + haystack).contains(u' ' + opening);
}

QSet<QString> wordSet(const QString& plain) {
    const QStringList words = plain.split(u' ', Qt::SkipEmptyParts);
    return QSet<QString>(words.begin(), words.end());
}

}  // namespace

QString plainForReplyCompare(const QString& text) {
    const QString lower = text.toLower();
    QStringList parts;
    QString current;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, lower);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end >= 0; end = finder.toNextBoundary()) {
        const QStringView grapheme = QStringView(lower).mid(start, end - start);
        start = end;
        if (isWordCharacter(grapheme)) {
            current += grapheme;
        } else if (!current.isEmpty()) {
            parts << current;
            current.clear();
        }
    }
    if (!current.isEmpty()) {
        parts << current;
    }
    return parts.join(u' ');
}

bool looksLikeBadReply(const QString& reply, const QString& source) {
    const QString r = plainForReplyCompare(reply);
    const QString s = plainForReplyCompare(source);
    if (r.isEmpty()) {
        return true;
    }
    static const QStringList requestTalk = {
        QStringLiteral("copied chat message"),     QStringLiteral("reply instruction"),
        QStringLiteral("write one ready to send"), QStringLiteral("скопированное сообщение"),
        QStringLiteral("сообщение из чата"),
    };
    for (const QString& phrase : requestTalk) {
        if (r.contains(phrase)) {
            return true;
        }
    }
    // A message without letters or digits ("👍") has nothing a reply could echo.
    if (s.isEmpty()) {
        return false;
    }
    if (r == s || containsWords(r, s)) {
        return true;
    }
    const int sourceLength = text::graphemeCount(s);
    if (sourceLength >= 25 && containsOpening(r, s, 80)) {
        return true;
    }
    if (sourceLength >= 18 && text::graphemeCount(r) >= 18) {
        const QSet<QString> replyWords = wordSet(r);
        const QSet<QString> sourceWords = wordSet(s);
        if (!replyWords.isEmpty() && !sourceWords.isEmpty()) {
            const auto common = QSet<QString>(replyWords).intersect(sourceWords).size();
            const auto larger = std::max(replyWords.size(), sourceWords.size());
            return static_cast<double>(common) / static_cast<double>(larger) > 0.82;
        }
    }
    return false;
}
