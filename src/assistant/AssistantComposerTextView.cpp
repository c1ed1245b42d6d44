#include "assistant/AssistantComposerTextView.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>

#include "base/Text.h"

AssistantComposerTextView::AssistantComposerTextView(QWidget* parent) : QPlainTextEdit(parent) {
    QFont f = font();
    f.setPixelSize(kFontPixelSize);
    f.setWeight(QFont::Medium);
    setFont(f);
    document()->setDocumentMargin(kInset);
    setFrameShape(QFrame::NoFrame);
    setBackgroundVisible(false);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setTabChangesFocus(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setMinimumHeight(kMinimumHeight);
    setMaximumHeight(kMaximumHeight);

    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        const int height = contentHeight();
        if (height != lastContentHeight_) {
            lastContentHeight_ = height;
            updateGeometry();
        }
        if (!settingText_) {
            Q_EMIT textEdited(rawText());
        }
    });
}

QString AssistantComposerTextView::rawText() const {
    return text::documentText(*document());
}

void AssistantComposerTextView::setBoundText(const QString& text) {
    if (text::documentShows(*document(), text)) {
        return;
    }
    settingText_ = true;
    setPlainText(text);
    moveCursor(QTextCursor::End);
    settingText_ = false;
}

int AssistantComposerTextView::contentHeight() const {
    int lines = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        lines += std::max(layout ? layout->lineCount() : 1, 1);
    }
    const int margins = int(2 * document()->documentMargin());
    return lines * fontMetrics().lineSpacing() + margins;
}

QSize AssistantComposerTextView::sizeHint() const {
    return {QPlainTextEdit::sizeHint().width(),
            std::clamp(contentHeight(), kMinimumHeight, kMaximumHeight)};
}

QSize AssistantComposerTextView::minimumSizeHint() const {
    return {0, kMinimumHeight};
}

void AssistantComposerTextView::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    // A new width re-wraps the lines.
    const int height = contentHeight();
    if (height != lastContentHeight_) {
        lastContentHeight_ = height;
        updateGeometry();
    }
}

void AssistantComposerTextView::keyPressEvent(QKeyEvent* event) {
    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!isReturn) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    if (!textCursor().block().layout()->preeditAreaText().isEmpty()) {
        // The input method is composing: the key is its own, neither a send nor a line.
        event->ignore();
        return;
    }
    if (event->modifiers() & (Qt::ShiftModifier | Qt::AltModifier)) {
        // Shift+Return would insert a line separator, Alt+Return nothing at all.
        insertPlainText(QStringLiteral("\n"));
        event->accept();
        return;
    }
    event->accept();
    Q_EMIT textEdited(rawText());
    Q_EMIT submitted();
}
