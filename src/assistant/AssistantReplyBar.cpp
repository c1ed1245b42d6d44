#include "assistant/AssistantReplyBar.h"

#include <QHBoxLayout>

#include "theme/NiveloTheme.h"
#include "theme/PaintedButton.h"

namespace {

QFont systemFont(int pixelSize, QFont::Weight weight) {
    QFont font = NiveloTheme::font(NiveloTheme::FontRole::body);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

PaintedButton::Look symbolLook(QList<PaintedButton::Glyph> glyphs, int width, int height) {
    PaintedButton::Look look;
    look.leading = std::move(glyphs);
    look.spacing = 2;
    look.fixedWidth = width;
    look.fixedHeight = height;
    look.foreground = {ThemeColor::Role::primary, 0.85};
    return look;
}

void apply(PaintedButton* button, const AssistantSymbolControl& control) {
    button->setEnabled(control.enabled);
    button->setToolTip(control.toolTip);
    button->setAccessibleName(control.toolTip);
}

}  // namespace

AssistantReplyBar::AssistantReplyBar(QWidget* parent)
    : RoundedBox(QStringLiteral("Reply actions"),
                 {.radius = 16, .fill = {ThemeColor::Role::primary, 0.014}}, parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 9, 14, 9);
    row->setSpacing(8);

    const auto make = [this, row](void (AssistantReplyBar::*signal)()) {
        auto* button = new PaintedButton(this);
        connect(button, &QAbstractButton::clicked, this, signal);
        row->addWidget(button, 0, Qt::AlignVCenter);
        return button;
    };
    regenerate_ = make(&AssistantReplyBar::regenerateClicked);
    regenerate_->setLook(symbolLook({{QStringLiteral("arrow.clockwise"), 20}}, 34, 30));
    emojis_ = make(&AssistantReplyBar::addEmojisClicked);
    emojis_->setLook(
        symbolLook({{QStringLiteral("plus"), 10}, {QStringLiteral("face.smiling"), 20}}, 34, 30));

    row->addSpacing(12 - row->spacing());
    auto* divider = new RoundedBox(QStringLiteral("Divider"),
                                   {.fill = {ThemeColor::Role::primary, 0.16}}, this);
    divider->setAccessibleName(QStringLiteral("Divider"));
    divider->setFixedSize(1, 24);
    row->addWidget(divider, 0, Qt::AlignVCenter);
    row->addSpacing(12 - row->spacing());

    languageChip_ = make(&AssistantReplyBar::languageChipClicked);
    languageChip_->setObjectName(QStringLiteral("languageChip"));
    translate_ = make(&AssistantReplyBar::translateClicked);
    translate_->setObjectName(QStringLiteral("translateButton"));
    row->addStretch(1);
    row->addSpacing(18 - row->spacing());
    copy_ = make(&AssistantReplyBar::copyClicked);
    copy_->setLook(symbolLook({{QStringLiteral("doc.on.doc"), 17}}, 34, 30));
    paste_ = make(&AssistantReplyBar::pasteClicked);
    paste_->setObjectName(QStringLiteral("pasteButton"));
    PaintedButton::Look paste = symbolLook({{QStringLiteral("arrow.turn.down.left"), 15}}, 44, 34);
    paste.shape = PaintedButton::Shape::roundedRect;
    paste.cornerRadius = 10;
    paste.fill = {ThemeColor::Role::accent};
    paste.foreground = {ThemeColor::Role::white};
    paste_->setLook(paste);
}

void AssistantReplyBar::setModel(const AssistantPanelModel& model) {
    apply(regenerate_, model.regenerate);
    apply(emojis_, model.addEmojis);
    apply(translate_, model.translate);
    apply(copy_, model.copyReply);
    apply(paste_, model.pasteReply);
    apply(languageChip_, model.languageChip);

    PaintedButton::Look chip;
    QFont caption = NiveloTheme::font(NiveloTheme::FontRole::caption);
    caption.setWeight(QFont::DemiBold);
    chip.leading = {{QStringLiteral("globe"), 13}};
    chip.text = model.languageBadge;
    chip.font = caption;
    chip.trailing = {{QStringLiteral("chevron.down"), 9}};
    chip.padding = {8, 0, 8, 0};
    chip.fixedHeight = 28;
    chip.shape = PaintedButton::Shape::capsule;
    chip.fill = {ThemeColor::Role::primary, 0.045};
    chip.foreground = {ThemeColor::Role::primary, 0.85};
    languageChip_->setLook(chip);
    languageChip_->setCheckable(true);
    languageChip_->setChecked(model.showsLanguageList);

    PaintedButton::Look translate;
    translate.text = model.translateTitle;
    translate.font = systemFont(13, QFont::DemiBold);
    translate.fixedHeight = 30;
    translate.padding = {4, 0, 4, 0};
    translate.foreground = {ThemeColor::Role::primary, 0.85};
    translate_->setLook(translate);
}
