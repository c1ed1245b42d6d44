#include "settingswindow/SettingsRowFrame.h"

#include <QPainter>
#include <QPainterPath>

#include "theme/NiveloTheme.h"

SettingsRowFrame::SettingsRowFrame(double radius, QWidget* parent)
    : QWidget(parent), radius_(radius) {
    setAccessibleName(QStringLiteral("Row"));
}

void SettingsRowFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), radius_, radius_);
    painter.fillPath(path, NiveloTheme::withOpacity(palette().color(QPalette::WindowText), 0.055));
}

ColorScheme settingsScheme(const QWidget& widget) {
    return widget.palette().color(QPalette::Window).lightness() < 128 ? ColorScheme::dark
                                                                      : ColorScheme::light;
}

QColor settingsColor(const QWidget& widget, NiveloTheme::Role role) {
    return NiveloTheme::color(role, settingsScheme(widget));
}
