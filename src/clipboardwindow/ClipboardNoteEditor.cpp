#include "clipboardwindow/ClipboardNoteEditor.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/Text.h"
#include "theme/LineBreakKeyFilter.h"
#include "theme/NiveloTheme.h"
#include "theme/RoundedBox.h"
#include "theme/ThemeIcons.h"

ClipboardNoteEditor::ClipboardNoteEditor(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    title_ = new QLabel(this);
    title_->setTextFormat(Qt::PlainText);
    QFont caption = NiveloTheme::font(NiveloTheme::FontRole::caption);
    caption.setWeight(QFont::DemiBold);
    title_->setFont(caption);
    layout->addWidget(title_);

    text_ = new QPlainTextEdit(this);
    text_->setFrameShape(QFrame::NoFrame);
    text_->setTabChangesFocus(true);
    text_->setMinimumHeight(92);
    text_->setMaximumHeight(140);
    text_->document()->setDocumentMargin(8);
    text_->viewport()->setAutoFillBackground(false);
    text_->installEventFilter(this);
    LineBreakKeyFilter::install(text_);
    connect(text_, &QPlainTextEdit::textChanged, this,
            [this] { Q_EMIT draftEdited(text::documentText(*text_->document())); });
    layout->addWidget(text_);

    auto* buttons = new QHBoxLayout();
    cancel_ = new QPushButton(this);
    cancel_->setFocusPolicy(Qt::NoFocus);
    connect(cancel_, &QPushButton::clicked, this, &ClipboardNoteEditor::cancelRequested);
    save_ = new QPushButton(this);
    save_->setFocusPolicy(Qt::NoFocus);
    connect(save_, &QPushButton::clicked, this, &ClipboardNoteEditor::saveRequested);
    buttons->addWidget(cancel_);
    buttons->addStretch(1);
    buttons->addWidget(save_);
    layout->addLayout(buttons);
}

void ClipboardNoteEditor::setView(const ClipboardNoteEditorView& view, const QString& draft,
                                  int fontPixelSize) {
    title_->setText(view.title);
    QPalette secondary = title_->palette();
    secondary.setColor(QPalette::WindowText,
                       NiveloTheme::withOpacity(palette().color(QPalette::WindowText), 0.6));
    title_->setPalette(secondary);
    text_->setAccessibleName(view.title);
    cancel_->setText(view.cancel);
    cancel_->setAccessibleName(view.cancel);
    save_->setText(view.save);
    save_->setAccessibleName(view.save);
    save_->setIcon(
        ThemeIcons::icon(QStringLiteral("checkmark"), palette().color(QPalette::ButtonText), 12));
    save_->setEnabled(view.saveEnabled);
    if (fontPixelSize != fontPixelSize_) {
        QFont font = NiveloTheme::font(NiveloTheme::FontRole::body);
        font.setPixelSize(fontPixelSize);
        text_->setFont(font);
        fontPixelSize_ = fontPixelSize;
    }
    if (!text::documentShows(*text_->document(), draft)) {
        const QSignalBlocker blocker(text_);
        text_->setPlainText(draft);
        text_->moveCursor(QTextCursor::End);
    }
}

bool ClipboardNoteEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == text_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (key->modifiers() & Qt::ControlModifier)) {
            if (save_->isEnabled()) {
                Q_EMIT saveRequested();
            }
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            Q_EMIT cancelRequested();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ClipboardNoteEditor::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    using R = ThemeColor::Role;
    RoundedBox::paint(painter, QRectF(rect()),
                      {.radius = 14, .fill = {R::primary, 0.035}, .stroke = {R::primary, 0.08}},
                      palette());
    // The field's own box, under the text view.
    RoundedBox::paint(painter, QRectF(text_->geometry()),
                      {.radius = 12, .fill = {R::primary, 0.025}, .stroke = {R::primary, 0.08}},
                      palette());
}
