#include "assistant/AssistantTurnRow.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLayout>
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

void AssistantTextLabel::setContent(const QString& text) {
    if (text == this->text()) {
        return;
    }
    heights_.clear();
    sizeHint_.reset();
    setText(text);
    setAccessibleName(text);
}

int AssistantTextLabel::heightForWidth(int width) const {
    auto it = heights_.constFind(width);
    if (it == heights_.constEnd()) {
        if (heights_.size() > 8) {
            heights_.clear();
        }
        it = heights_.insert(width, QLabel::heightForWidth(width));
    }
    return *it;
}

void AssistantTextLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        heights_.clear();
        sizeHint_.reset();
    }
    QLabel::changeEvent(event);
}

QSize AssistantTextLabel::sizeHint() const {
    if (sizeHint_) {
        return *sizeHint_;
    }
    const QFontMetricsF metrics(font());
    qreal longest = 0;
    for (const QStringView line : QStringView(text()).split(QLatin1Char('\n'))) {
        longest = std::max(longest, metrics.horizontalAdvance(line.toString()));
    }
    const int width = int(std::ceil(longest)) + 2;
    sizeHint_ = QSize(width, heightForWidth(width));
    return *sizeHint_;
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
    id_ = turn.id;
    if (request_->text() != turn.request || result_->text() != turn.result) {
        request_->setContent(turn.request);
        result_->setContent(turn.result);
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
