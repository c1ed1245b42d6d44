#include "clipboardwindow/ClipboardSidePreview.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/Text.h"
#include "theme/NiveloTheme.h"
#include "theme/RoundedBox.h"
#include "theme/ThemeIcons.h"

namespace {

// Buttons read "&" as a mnemonic marker.
QString escapedMnemonic(QString text) {
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

}  // namespace

ClipboardSidePreview::ClipboardSidePreview(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(10);

    auto* header = new QHBoxLayout();
    QFont caption = NiveloTheme::font(NiveloTheme::FontRole::caption);
    caption.setWeight(QFont::DemiBold);
    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("previewTitle"));
    title_->setTextFormat(Qt::PlainText);
    title_->setFont(caption);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("previewCount"));
    count_->setTextFormat(Qt::PlainText);
    count_->setFont(NiveloTheme::font(NiveloTheme::FontRole::caption));
    header->addWidget(title_);
    header->addStretch(1);
    header->addWidget(count_);
    layout->addLayout(header);

    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("previewText"));
    text_->setReadOnly(true);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text_->setFrameShape(QFrame::NoFrame);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    text_->document()->setDocumentMargin(10);
    text_->viewport()->setAutoFillBackground(false);
    text_->setAutoFillBackground(false);
    layout->addWidget(text_, 1);

    buttonBar_ = new QHBoxLayout();
    buttonBar_->setSpacing(6);
    layout->addLayout(buttonBar_);
}

void ClipboardSidePreview::setView(const ClipboardPreviewView& view, int fontPixelSize) {
    const QColor primary = palette().color(QPalette::WindowText);
    const QColor secondary = NiveloTheme::withOpacity(primary, 0.6);
    if (view.title != view_.title) {
        title_->setText(view.title);
    }
    QPalette labels = title_->palette();
    labels.setColor(QPalette::WindowText, secondary);
    title_->setPalette(labels);
    count_->setPalette(labels);
    count_->setText(view.count);
    count_->setVisible(!view.count.isEmpty());

    if (fontPixelSize != fontPixelSize_) {
        QFont font = NiveloTheme::font(NiveloTheme::FontRole::body);
        font.setPixelSize(fontPixelSize);
        text_->setFont(font);
        fontPixelSize_ = fontPixelSize;
    }
    QPalette textPalette = text_->palette();
    textPalette.setColor(QPalette::Text, view.isPlaceholder ? secondary : primary);
    textPalette.setColor(QPalette::Base, Qt::transparent);
    text_->setPalette(textPalette);
    if (!text::documentShows(*text_->document(), view.text)) {
        text_->setPlainText(view.text);
    }
    text_->setAccessibleName(view.isPlaceholder ? view.text : view.title);

    if (buttons_.size() != view.buttons.size()) {
        qDeleteAll(buttons_);
        buttons_.clear();
        while (QLayoutItem* item = buttonBar_->takeAt(0)) {
            delete item;
        }
        for (int i = 0; i < view.buttons.size(); ++i) {
            auto* button = new QPushButton(this);
            button->setObjectName(QStringLiteral("previewButton"));
            button->setFocusPolicy(Qt::NoFocus);
            connect(button, &QPushButton::clicked, this, [this, i] { Q_EMIT buttonClicked(i); });
            buttonBar_->addWidget(button);
            buttons_.append(button);
        }
        buttonBar_->addStretch(1);
    }
    const QColor red = NiveloTheme::color(NiveloTheme::Role::red, NiveloTheme::environmentScheme());
    for (int i = 0; i < view.buttons.size(); ++i) {
        const ClipboardButtonView& b = view.buttons[i];
        QPushButton* button = buttons_[i];
        button->setText(escapedMnemonic(b.label));
        button->setIcon(ThemeIcons::icon(b.symbol, b.destructive ? red : primary, 13));
        button->setAccessibleName(b.help);
        button->setToolTip(b.label.isEmpty() ? b.help : QString());
        button->setEnabled(b.enabled);
        QPalette p = button->palette();
        p.setColor(QPalette::ButtonText, b.destructive ? red : primary);
        button->setPalette(p);
    }
    view_ = view;
}

void ClipboardSidePreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    using R = ThemeColor::Role;
    RoundedBox::paint(painter, QRectF(rect()),
                      {.radius = 14, .fill = {R::primary, 0.012}, .stroke = {R::primary, 0.075}},
                      palette());
    // The text's own box, under the text view.
    RoundedBox::paint(painter, QRectF(text_->geometry()),
                      {.radius = 12, .fill = {R::primary, 0.014}, .fillsToEdge = true}, palette());
}
