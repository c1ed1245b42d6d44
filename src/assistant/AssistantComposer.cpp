#include "assistant/AssistantComposer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "assistant/AssistantComposerTextView.h"
#include "theme/NiveloTheme.h"
#include "theme/PaintedButton.h"

namespace {

QFont systemFont(int pixelSize, QFont::Weight weight) {
    QFont font = NiveloTheme::font(NiveloTheme::FontRole::body);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

void applyControl(PaintedButton* button, const AssistantSymbolControl& control) {
    button->setEnabled(control.enabled);
    button->setToolTip(control.toolTip);
    button->setAccessibleName(control.toolTip);
}

}  // namespace

AssistantComposer::AssistantComposer(QWidget* parent)
    : RoundedBox(QStringLiteral("Composer"),
                 {.radius = 18,
                  .fill = {ThemeColor::Role::primary, 0.014},
                  .stroke = {ThemeColor::Role::primary, 0.075}},
                 parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(8);

    auto* top = new QHBoxLayout;
    top->setSpacing(8);
    contextChip_ = new PaintedButton(this);
    connect(contextChip_, &QAbstractButton::clicked, this, &AssistantComposer::contextChipClicked);
    top->addWidget(contextChip_);
    contextLength_ = new QLabel(this);
    contextLength_->setObjectName(QStringLiteral("contextLength"));
    contextLength_->setTextFormat(Qt::PlainText);
    contextLength_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont caption = NiveloTheme::font(NiveloTheme::FontRole::caption);
    caption.setWeight(QFont::DemiBold);
    contextLength_->setFont(caption);
    contextLength_->setForegroundRole(QPalette::PlaceholderText);
    top->addWidget(contextLength_);
    top->addStretch(1);
    pasteResult_ = new PaintedButton(this);
    pasteResult_->setObjectName(QStringLiteral("pasteResultButton"));
    PaintedButton::Look pasteLook;
    pasteLook.leading = {{QStringLiteral("arrow.turn.down.left"), 14}};
    pasteLook.padding = {4, 2, 4, 2};
    pasteLook.foreground = {ThemeColor::Role::primary, 0.85};
    pasteResult_->setLook(pasteLook);
    connect(pasteResult_, &QAbstractButton::clicked, this, &AssistantComposer::pasteResultClicked);
    top->addWidget(pasteResult_);
    column->addLayout(top);

    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(8);
    editorFrame_ = new RoundedBox(QStringLiteral("Request field"),
                                  {.radius = 13,
                                   .fill = {ThemeColor::Role::primary, 0.018},
                                   .stroke = {ThemeColor::Role::white, 0.07}},
                                  this);
    auto* editorLayout = new QVBoxLayout(editorFrame_);
    editorLayout->setContentsMargins(6, 5, 6, 5);
    editor_ = new AssistantComposerTextView(editorFrame_);
    editor_->setObjectName(QStringLiteral("requestEditor"));
    editorLayout->addWidget(editor_);
    editorFrame_->setMinimumHeight(44);
    editorFrame_->setMaximumHeight(82);
    connect(editor_, &AssistantComposerTextView::textEdited, this,
            &AssistantComposer::requestEdited);
    connect(editor_, &AssistantComposerTextView::submitted, this,
            &AssistantComposer::sendRequested);
    bottom->addWidget(editorFrame_, 1, Qt::AlignBottom);
    send_ = new PaintedButton(this);
    connect(send_, &QAbstractButton::clicked, this, &AssistantComposer::sendRequested);
    bottom->addWidget(send_, 0, Qt::AlignBottom);
    column->addLayout(bottom);
}

void AssistantComposer::setModel(const AssistantPanelModel& model, const QString& requestText) {
    PaintedButton::Look chip;
    chip.leading = {{model.contextChipSymbol, 13}};
    chip.text = model.contextChipTitle;
    chip.font = systemFont(12, QFont::DemiBold);
    chip.padding = {10, 5, 10, 5};
    chip.shape = PaintedButton::Shape::capsule;
    chip.fill = model.contextChipOn ? ThemeColor{ThemeColor::Role::accent, 0.16}
                                    : ThemeColor{ThemeColor::Role::primary, 0.03};
    chip.stroke = model.contextChipOn ? ThemeColor{ThemeColor::Role::accent, 0.25}
                                      : ThemeColor{ThemeColor::Role::white, 0.08};
    chip.foreground = {ThemeColor::Role::primary};
    contextChip_->setLook(chip);
    contextChip_->setAccessibleName(model.contextChipTitle);
    contextChip_->setCheckable(true);
    contextChip_->setChecked(model.contextChipOn);

    contextLength_->setVisible(!model.contextLength.isEmpty());
    contextLength_->setText(model.contextLength);
    contextLength_->setAccessibleName(model.contextLength);

    pasteResult_->setVisible(model.showsPasteResult);
    pasteResult_->setToolTip(model.pasteResultToolTip);
    pasteResult_->setAccessibleName(model.pasteResultToolTip);

    editor_->setBoundText(requestText);
    editor_->setPlaceholderText(model.placeholder);
    editor_->setAccessibleName(model.placeholder);

    PaintedButton::Look send;
    send.leading = {{model.send.symbol, 16}};
    send.fixedWidth = 36;
    send.fixedHeight = 34;
    send.shape = PaintedButton::Shape::roundedRect;
    send.cornerRadius = 12;
    send.fill = model.send.accent ? ThemeColor{ThemeColor::Role::accent}
                                  : ThemeColor{ThemeColor::Role::secondary, 0.28};
    send.foreground = {ThemeColor::Role::white};
    // Its grey background already says it cannot send.
    send.dimsWhenDisabled = false;
    send_->setLook(send);
    applyControl(send_, model.send);
}
