#include "settingswindow/ClampedTextLabel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QTextLayout>

ClampedTextLabel::ClampedTextLabel(int maximumLines, QWidget* parent)
    : QLabel(parent), maximumLines_(maximumLines) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ClampedTextLabel::setFullText(const QString& text) {
    if (text == full_ && !QLabel::text().isEmpty()) {
        return;
    }
    full_ = text;
    setAccessibleName(text);
    reflow();
    // The height for a width follows the full text, even while nothing is shown yet.
    updateGeometry();
}

QString ClampedTextLabel::clamped(const QString& text, const QFont& font, int width,
                                  int maximumLines) {
    if (width <= 0 || maximumLines <= 0) {
        return {};
    }
    QString laidOut = text;
    laidOut.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(laidOut, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    const QFontMetrics metrics(font);
    QStringList lines;
    layout.beginLayout();
    for (int i = 0; i < maximumLines; ++i) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) {
            break;
        }
        line.setLineWidth(width);
        const int end = line.textStart() + line.textLength();
        QString piece = laidOut.mid(line.textStart(), line.textLength());
        if (i == maximumLines - 1 && end < laidOut.size()) {
            // The rest runs on in one line, cut where the width ends.
            QString rest = laidOut.mid(line.textStart());
            rest.replace(QChar::LineSeparator, QLatin1Char(' '));
            piece = metrics.elidedText(rest, Qt::ElideRight, width);
        }
        while (!piece.isEmpty() && (piece.back() == QChar::LineSeparator || piece.back() == ' ')) {
            piece.chop(1);
        }
        lines << piece;
    }
    layout.endLayout();
    return lines.join(QLatin1Char('\n'));
}

int ClampedTextLabel::heightForWidth(int width) const {
    const QMargins margins = contentsMargins();
    const QString shown =
        clamped(full_, font(), width - margins.left() - margins.right(), maximumLines_);
    const int lines = std::max(int(shown.count(QLatin1Char('\n'))) + 1, 1);
    return lines * fontMetrics().lineSpacing() + margins.top() + margins.bottom();
}

void ClampedTextLabel::reflow() {
    const QString shown = clamped(full_, font(), contentsRect().width(), maximumLines_);
    if (shown != text()) {
        setText(shown);
    }
}

void ClampedTextLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    reflow();
}

void ClampedTextLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        reflow();
    }
}
