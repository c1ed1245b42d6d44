#include "platform/EmbeddedTextNode.h"

#include <QList>

namespace {
constexpr QChar kObjectCharacter(0xFFFC);
constexpr int kMaxDepth = 32;
constexpr int kMaxChildren = 2000;

struct Piece {
    QString text;
    EmbeddedTextNode::Layout layout;
};

// Offsets count code points: a character outside the BMP is two UTF-16 units.
int codePoints(QStringView text) {
    int count = 0;
    for (const QChar c : text) {
        count += c.isLowSurrogate() ? 0 : 1;
    }
    return count;
}

bool isBlank(const QString& text) {
    return text.trimmed().isEmpty();
}

class Expansion {
public:
    explicit Expansion(const std::function<bool()>& outOfTime) : outOfTime_(outOfTime) {}

    bool failed() const { return failed_; }

    // wholeWithoutSelection: a child inside the parent's range that has no selection of its
    // own takes part whole.
    QString expand(EmbeddedTextNode& node, EmbeddedTextPart part, int depth,
                   bool wholeWithoutSelection) {
        int start = 0;
        int end = 0;
        if (part == EmbeddedTextPart::Selection) {
            if (const auto range = node.selection()) {
                start = range->first;
                end = range->second;
            } else if (!wholeWithoutSelection) {
                return {};
            } else {
                end = node.length();
            }
        } else {
            end = node.length();
        }
        if (start < end) {
            start = qMax(start, node.markerLength());
        }
        if (start >= end) {
            return {};
        }

        QList<Piece> pieces;
        QString run;
        bool expanded = false;
        const QString text = node.text(start, end);
        qsizetype from = 0;
        int offset = start;
        while (!failed_) {
            const qsizetype at = text.indexOf(kObjectCharacter, from);
            const qsizetype stop = at < 0 ? text.size() : at;
            run += QStringView(text).mid(from, stop - from);
            offset += codePoints(QStringView(text).mid(from, stop - from));
            if (at < 0) {
                break;
            }
            from = at + 1;
            expanded = true;
            if (depth + 1 > kMaxDepth || ++children_ > kMaxChildren ||
                (outOfTime_ && outOfTime_())) {
                failed_ = true;
                break;
            }
            const auto child = node.child(offset++);
            if (!child) {
                continue;
            }
            const QString inner = expand(*child, part, depth + 1, true);
            const EmbeddedTextNode::Layout layout = child->layout();
            if (layout == EmbeddedTextNode::Layout::Inline) {
                run += inner;
                continue;
            }
            pieces.append({run, EmbeddedTextNode::Layout::Inline});
            run.clear();
            pieces.append({inner, layout});
        }
        pieces.append({run, EmbeddedTextNode::Layout::Inline});
        const QString joined = join(pieces);
        return expanded && isBlank(joined) ? QString() : joined;
    }

private:
    // A line break on each side of a block, a blank line between two paragraphs; white space
    // between blocks is the page's layout, not its text.
    static QString join(const QList<Piece>& pieces) {
        const bool blocks = pieces.size() > 1;
        QString result;
        const Piece* previous = nullptr;
        for (const Piece& piece : pieces) {
            if (piece.text.isEmpty() || (blocks && isBlank(piece.text))) {
                continue;
            }
            if (previous && !result.endsWith('\n') && !piece.text.startsWith('\n')) {
                const bool paragraphs = previous->layout == EmbeddedTextNode::Layout::Paragraph &&
                                        piece.layout == EmbeddedTextNode::Layout::Paragraph;
                result += paragraphs ? QStringLiteral("\n\n") : QStringLiteral("\n");
            }
            result += piece.text;
            previous = &piece;
        }
        return result;
    }

    const std::function<bool()>& outOfTime_;
    int children_ = 0;
    bool failed_ = false;
};
}  // namespace

std::optional<QString> expandedText(EmbeddedTextNode& node, EmbeddedTextPart part,
                                    const std::function<bool()>& outOfTime) {
    Expansion expansion(outOfTime);
    QString text = expansion.expand(node, part, 0, false);
    if (expansion.failed()) {
        return std::nullopt;
    }
    return text;
}
