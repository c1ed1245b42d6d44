#include "assistant/AssistantBubbleText.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QFontMetricsF>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <cmath>

#include "theme/NiveloTheme.h"

namespace {

QTextOption wrapping() {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}

// Two pixels between lines, in the shown text and in its measure alike.
void spaceLines(QTextDocument& document) {
    QTextCursor cursor(&document);
    cursor.select(QTextCursor::Document);
    QTextBlockFormat format;
    format.setLineHeight(2, QTextBlockFormat::LineDistanceHeight);
    cursor.mergeBlockFormat(format);
}

}  // namespace

AssistantBubbleText::AssistantBubbleText(const QString& text, QWidget* parent) : QTextEdit(parent) {
    setReadOnly(true);
    setAcceptRichText(false);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setFocusPolicy(Qt::ClickFocus);
    viewport()->setAutoFillBackground(false);
    viewport()->setCursor(Qt::IBeamCursor);
    setAutoFillBackground(false);
    document()->setDocumentMargin(0);
    QFont f = NiveloTheme::font(NiveloTheme::FontRole::body);
    f.setPixelSize(kFontPixelSize);
    setFont(f);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setText(text);
}

void AssistantBubbleText::setText(const QString& text) {
    if (text == text_ && !document()->isEmpty()) {
        return;
    }
    text_ = text;
    heights_.clear();
    sizeHint_.reset();
    // Plain text: markup shows as the characters it is made of.
    setPlainText(text);
    spaceLines(*document());
    setAccessibleName(text);
    updateGeometry();
}

int AssistantBubbleText::heightForWidth(int width) const {
    auto it = heights_.constFind(width);
    if (it == heights_.constEnd()) {
        if (heights_.size() > 8) {
            heights_.clear();
        }
        QTextDocument measure;
        measure.setDefaultFont(font());
        measure.setDocumentMargin(0);
        measure.setDefaultTextOption(wrapping());
        measure.setPlainText(text_);
        spaceLines(measure);
        measure.setTextWidth(width);
        it = heights_.insert(width, int(std::ceil(measure.size().height())));
    }
    return *it;
}

QSize AssistantBubbleText::sizeHint() const {
    if (!sizeHint_) {
        const QFontMetricsF metrics(font());
        qreal longest = 0;
        for (const QStringView line : QStringView(text_).split(QLatin1Char('\n'))) {
            longest = std::max(longest, metrics.horizontalAdvance(line.toString()));
        }
        // A little room, so the longest line is not wrapped by rounding.
        const int width = int(std::ceil(longest)) + 4;
        sizeHint_ = QSize(width, heightForWidth(width));
    }
    return *sizeHint_;
}

QSize AssistantBubbleText::minimumSizeHint() const {
    return {0, QFontMetrics(font()).height()};
}

void AssistantBubbleText::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        heights_.clear();
        sizeHint_.reset();
        updateGeometry();
    }
    QTextEdit::changeEvent(event);
}
