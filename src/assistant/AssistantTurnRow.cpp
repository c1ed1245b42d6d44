#include "assistant/AssistantTurnRow.h"

#include <QHBoxLayout>
#include <cmath>
#include <QVBoxLayout>

#include "assistant/AssistantButton.h"
#include "assistant/AssistantRoundedBox.h"
#include "theme/NiveloTheme.h"

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

AssistantButton::Look copyLook(const AssistantSymbolControl& control) {
    AssistantButton::Look look;
    look.leading = {{control.symbol, 12}};
    look.fixedWidth = 24;
    look.fixedHeight = 22;
    look.foreground = {control.accent ? AssistantColor::Role::accent
                                      : AssistantColor::Role::secondary};
    return look;
}

}  // namespace

AssistantTextLabel::AssistantTextLabel(const QString& text, QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setText(text);
    setWordWrap(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setCursor(Qt::IBeamCursor);
    QFont f = NiveloTheme::font(NiveloTheme::FontRole::body);
    f.setPixelSize(13);
    setFont(f);
    setAccessibleName(text);
}

QSize AssistantTextLabel::sizeHint() const {
    const QFontMetricsF metrics(font());
    qreal longest = 0;
    for (const QStringView line : QStringView(text()).split(QLatin1Char('\n'))) {
        longest = std::max(longest, metrics.horizontalAdvance(line.toString()));
    }
    const int width = int(std::ceil(longest)) + 2;
    return {width, heightForWidth(width)};
}

QSize AssistantTextLabel::minimumSizeHint() const {
    return {0, QLabel::minimumSizeHint().height()};
}

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
    userBubble_ = new AssistantRoundedBox(kCornerRadius, {AssistantColor::Role::accent, 0.18},
                                      {AssistantColor::Role::accent, 0.18}, this);
    userBubble_->setAccessibleName(labels.user);
    auto* userColumn = new QVBoxLayout(userBubble_);
    userColumn->setContentsMargins(11, 9, 11, 9);
    userColumn->setSpacing(5);
    userLabel_ = makeCaption(labels.user, userBubble_);
    userColumn->addWidget(userLabel_);
    request_ = new AssistantTextLabel(turn.request, userBubble_);
    userColumn->addWidget(request_);
    userRow->addWidget(userBubble_);
    column->addLayout(userRow);

    answerBubble_ = new AssistantRoundedBox(kCornerRadius, {AssistantColor::Role::primary, 0.034}, {}, this);
    answerBubble_->setAccessibleName(labels.answer);
    auto* answerColumn = new QVBoxLayout(answerBubble_);
    answerColumn->setContentsMargins(11, 9, 11, 9);
    answerColumn->setSpacing(7);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 0, 0);
    header->setSpacing(8);
    answerLabel_ = makeCaption(labels.answer, answerBubble_);
    header->addWidget(answerLabel_);
    header->addStretch(1);
    copy_ = new AssistantButton(answerBubble_);
    copy_->setLook(copyLook(turn.copy));
    copy_->setAccessibleName(labels.copy);
    connect(copy_, &QAbstractButton::clicked, this, [this] { Q_EMIT copyClicked(id_); });
    header->addWidget(copy_);
    answerColumn->addLayout(header);
    result_ = new AssistantTextLabel(turn.result, answerBubble_);
    answerColumn->addWidget(result_);
    column->addWidget(answerBubble_);
}

void AssistantTurnRow::refresh(const AssistantTurnModel& turn, const Labels& labels) {
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
    // A turn's texts never change under its id; a replaced result comes as a new turn.
}
