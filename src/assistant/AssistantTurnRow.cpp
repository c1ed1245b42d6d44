#include "assistant/AssistantTurnRow.h"

#include <QHBoxLayout>
#include <QLayout>
#include <QVBoxLayout>

#include "assistant/AssistantBubbleText.h"
#include "theme/NiveloTheme.h"
#include "theme/PaintedButton.h"
#include "theme/RoundedBox.h"

namespace {

constexpr int kCornerRadius = 14;

QFont captionSemibold() {
    QFont font = NiveloTheme::font(NiveloTheme::FontRole::caption);
    font.setWeight(QFont::DemiBold);
    return font;
}

QLabel* makeCaption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(captionSemibold());
    label->setAccessibleName(text);
    // The surface's palette keeps its secondary label colour there.
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

PaintedButton::Look copyLook(const AssistantSymbolControl& control) {
    PaintedButton::Look look;
    look.leading = {{control.symbol, 12}};
    look.fixedWidth = 24;
    look.fixedHeight = 22;
    look.foreground = {control.accent ? ThemeColor::Role::accent : ThemeColor::Role::secondary};
    return look;
}

}  // namespace

AssistantTurnRow::AssistantTurnRow(const AssistantTurnModel& turn, const Labels& labels,
                                   QWidget* parent)
    : QWidget(parent), id_(turn.id) {
    setAccessibleName(labels.answer);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);

    // The request hugs the trailing side and keeps its distance from the leading one.
    auto* userRow = new QHBoxLayout;
    userRow->setContentsMargins(0, 0, 0, 0);
    userRow->setSpacing(0);
    userRow->addSpacerItem(
        new QSpacerItem(kLeadingRoom, 0, QSizePolicy::MinimumExpanding, QSizePolicy::Minimum));
    userBubble_ = new RoundedBox(labels.user,
                                 {.radius = kCornerRadius,
                                  .fill = {ThemeColor::Role::accent, 0.18},
                                  .stroke = {ThemeColor::Role::accent, 0.18}},
                                 this);
    auto* userColumn = new QVBoxLayout(userBubble_);
    userColumn->setContentsMargins(11, 9, 11, 9);
    userColumn->setSpacing(5);
    userLabel_ = makeCaption(labels.user, userBubble_);
    userColumn->addWidget(userLabel_);
    request_ = new AssistantBubbleText(turn.request, userBubble_);
    request_->setObjectName(QStringLiteral("requestText"));
    userColumn->addWidget(request_);
    userRow->addWidget(userBubble_);
    column->addLayout(userRow);

    answerBubble_ = new RoundedBox(
        labels.answer, {.radius = kCornerRadius, .fill = {ThemeColor::Role::primary, 0.034}}, this);
    auto* answerColumn = new QVBoxLayout(answerBubble_);
    answerColumn->setContentsMargins(11, 9, 11, 9);
    answerColumn->setSpacing(7);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 0, 0);
    header->setSpacing(8);
    answerLabel_ = makeCaption(labels.answer, answerBubble_);
    header->addWidget(answerLabel_);
    header->addStretch(1);
    copy_ = new PaintedButton(answerBubble_);
    copy_->setObjectName(QStringLiteral("copyButton"));
    copy_->setLook(copyLook(turn.copy));
    copy_->setAccessibleName(labels.copy);
    connect(copy_, &QAbstractButton::clicked, this, [this] { Q_EMIT copyClicked(id_); });
    header->addWidget(copy_);
    answerColumn->addLayout(header);
    result_ = new AssistantBubbleText(turn.result, answerBubble_);
    result_->setObjectName(QStringLiteral("resultText"));
    answerColumn->addWidget(result_);
    column->addWidget(answerBubble_);
}

void AssistantTurnRow::refresh(const AssistantTurnModel& turn, const Labels& labels) {
    id_ = turn.id;
    if (request_->text() != turn.request || result_->text() != turn.result) {
        request_->setText(turn.request);
        result_->setText(turn.result);
        // Layouts keep measures of their items until a posted request; a row that measures
        // one turn after another needs the new ones at once.
        for (QWidget* child : findChildren<QWidget*>()) {
            child->updateGeometry();
        }
        for (QLayout* l : findChildren<QLayout*>()) {
            l->invalidate();
        }
        layout()->invalidate();
    }
    copy_->setLook(copyLook(turn.copy));
    copy_->setAccessibleName(labels.copy);
    if (userLabel_->text() != labels.user) {
        userLabel_->setText(labels.user);
        userLabel_->setAccessibleName(labels.user);
        userBubble_->setAccessibleName(labels.user);
    }
    if (answerLabel_->text() != labels.answer) {
        answerLabel_->setText(labels.answer);
        answerLabel_->setAccessibleName(labels.answer);
        answerBubble_->setAccessibleName(labels.answer);
    }
}
