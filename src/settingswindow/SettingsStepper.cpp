#include "settingswindow/SettingsStepper.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>
#include <algorithm>

#include "theme/NiveloTheme.h"

SettingsStepper::SettingsStepper(int minimum, int maximum, QWidget* parent)
    : QWidget(parent), minimum_(minimum), maximum_(maximum), value_(minimum) {
    setFocusPolicy(Qt::TabFocus);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    label_ = new QLabel(this);
    label_->setTextFormat(Qt::PlainText);
    label_->setFont(NiveloTheme::font(NiveloTheme::FontRole::body));
    row->addWidget(label_);
    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(0);
    for (QToolButton** button : {&decrease_, &increase_}) {
        *button = new QToolButton(this);
        (*button)->setAutoRepeat(true);
        (*button)->setFixedSize(24, 22);
        buttons->addWidget(*button);
    }
    decrease_->setObjectName(QStringLiteral("decrease"));
    decrease_->setText(QStringLiteral("−"));
    increase_->setObjectName(QStringLiteral("increase"));
    increase_->setText(QStringLiteral("+"));
    row->addLayout(buttons);
    row->addStretch(1);
    connect(decrease_, &QToolButton::clicked, this, [this] { step(-1); });
    connect(increase_, &QToolButton::clicked, this, [this] { step(1); });
    refreshButtons();
}

void SettingsStepper::setValue(int value) {
    value_ = value;
    refreshButtons();
}

void SettingsStepper::setText(const QString& text) {
    label_->setText(text);
    setAccessibleName(text);
}

QString SettingsStepper::text() const {
    return label_->text();
}

void SettingsStepper::setButtonNames(const QString& decrease, const QString& increase) {
    decrease_->setAccessibleName(decrease);
    decrease_->setToolTip(decrease);
    increase_->setAccessibleName(increase);
    increase_->setToolTip(increase);
}

int SettingsStepper::stepped(int delta) const {
    // A value shown outside the range comes back to it on the first step.
    return std::clamp(value_ + delta, minimum_, maximum_);
}

void SettingsStepper::step(int delta) {
    const int next = stepped(delta);
    if (next == value_) {
        return;
    }
    value_ = next;
    refreshButtons();
    Q_EMIT valueStepped(next);
}

void SettingsStepper::refreshButtons() {
    decrease_->setEnabled(value_ > minimum_);
    increase_->setEnabled(value_ < maximum_);
}

void SettingsStepper::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Plus) {
        step(1);
    } else if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Minus) {
        step(-1);
    } else {
        QWidget::keyPressEvent(event);
    }
}
