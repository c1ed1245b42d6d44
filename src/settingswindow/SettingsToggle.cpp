#include "settingswindow/SettingsToggle.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalBlocker>

#include "theme/NiveloTheme.h"

SettingsToggle::SettingsToggle(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    box_ = new QCheckBox(this);
    box_->setObjectName(QStringLiteral("box"));
    title_ = new QLabel(this);
    title_->setTextFormat(Qt::PlainText);
    title_->setWordWrap(true);
    title_->setFont(NiveloTheme::font(NiveloTheme::FontRole::body));
    title_->setBuddy(box_);
    title_->installEventFilter(this);
    row->addWidget(box_, 0, Qt::AlignTop);
    row->addWidget(title_, 1);
    connect(box_, &QCheckBox::toggled, this, &SettingsToggle::toggled);
}

QString SettingsToggle::text() const {
    return title_->text();
}

void SettingsToggle::setText(const QString& text) {
    title_->setText(text);
    box_->setAccessibleName(text);
}

void SettingsToggle::setChecked(bool on) {
    const QSignalBlocker blocker(box_);
    box_->setChecked(on);
}

bool SettingsToggle::eventFilter(QObject* watched, QEvent* event) {
    if (watched == title_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && isEnabled()) {
        box_->click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
