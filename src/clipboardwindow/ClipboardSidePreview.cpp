#include "clipboardwindow/ClipboardSidePreview.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/Text.h"
#include "theme/NiveloTheme.h"
#include "theme/ThemeIcons.h"

namespace {

// Buttons read "&" as a mnemonic marker.
QString escapedMnemonic(QString text) {
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

}  // namespace

ClipboardSidePreview::ClipboardSidePreview(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("Preview"));
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
        setAccessibleName(view.title);
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
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor primary = palette().color(QPalette::WindowText);
    QPainterPath outer;
    outer.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 14, 14);
    painter.fillPath(outer, NiveloTheme::withOpacity(primary, 0.012));
    painter.setPen(QPen(NiveloTheme::withOpacity(primary, 0.075), 1));
    painter.drawPath(outer);
    QPainterPath inner;
    inner.addRoundedRect(QRectF(text_->geometry()), 12, 12);
    painter.fillPath(inner, NiveloTheme::withOpacity(primary, 0.014));
}
