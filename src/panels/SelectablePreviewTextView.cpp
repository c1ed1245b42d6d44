#include "panels/SelectablePreviewTextView.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <cmath>

#include "base/Text.h"
#include "theme/NiveloTheme.h"

SelectablePreviewTextView::SelectablePreviewTextView(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setUndoRedoEnabled(false);
    setFrameShape(QFrame::NoFrame);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    document()->setDocumentMargin(kDocumentMargin);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::transparent);
    setPalette(p);
}

void SelectablePreviewTextView::updateTextView(const QString& text, const QString& placeholder,
                                               double fontSize) {
    const QTextCursor before = textCursor();
    const int anchor = before.anchor();
    const int position = before.position();
    if (!text::documentShows(*document(), text)) {
        setPlainText(text);
    }
    if (placeholderText() != placeholder) {
        setPlaceholderText(placeholder);
    }
    QFont font = NiveloTheme::font(NiveloTheme::FontRole::body);
    font.setPixelSize(std::max(1, int(std::lround(fontSize))));
    if (this->font() != font) {
        setFont(font);
    }
    // Within the text now shown the selection stays where it was.
    const int length = document()->characterCount() - 1;
    if (before.hasSelection() && std::max(anchor, position) <= length) {
        QTextCursor again(document());
        again.setPosition(anchor);
        again.setPosition(position, QTextCursor::KeepAnchor);
        setTextCursor(again);
    }
}
