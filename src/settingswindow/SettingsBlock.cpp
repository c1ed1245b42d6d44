#include "settingswindow/SettingsBlock.h"

#include <QPainter>
#include <QVBoxLayout>

#include "theme/NiveloTheme.h"

RoundedBox::Look settingsCardLook(double radius, double fillOpacity, bool bordered) {
    RoundedBox::Look look{
        .radius = radius, .fill = {ThemeColor::Role::primary, fillOpacity}, .fillsToEdge = true};
    if (bordered) {
        look.stroke = {ThemeColor::Role::primary, 0.08};
    }
    return look;
}

SettingsBlock::SettingsBlock(QWidget* parent)
    : RoundedBox(QStringLiteral("Settings group"),
                 {.radius = 18,
                  .fill = {ThemeColor::Role::black, 0.045},
                  .stroke = {ThemeColor::Role::primary, 0.08},
                  .darkFill = ThemeColor{ThemeColor::Role::white, 0.055},
                  .fillsToEdge = true},
                 parent) {
    setMaximumWidth(640);
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(14, 14, 14, 14);
    layout_->setSpacing(0);
}

RoundedBox* newSettingsSection(bool bordered, QWidget* parent) {
    return new RoundedBox(QStringLiteral("Settings section"), settingsCardLook(12, 0.055, bordered),
                          parent);
}

SettingsDivider::SettingsDivider(QWidget* parent) : QWidget(parent) {
    setFixedHeight(1);
    setAccessibleName(QStringLiteral("Separator"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SettingsDivider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), NiveloTheme::withOpacity(palette().color(QPalette::WindowText), 0.14));
}
