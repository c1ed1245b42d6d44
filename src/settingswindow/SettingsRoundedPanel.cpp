#include "settingswindow/SettingsRoundedPanel.h"

#include <QPainter>
#include <QPainterPath>

#include "theme/NiveloTheme.h"

SettingsRoundedPanel::SettingsRoundedPanel(const QString& name, double radius, double fillOpacity,
                                           bool bordered, QWidget* parent)
    : QWidget(parent), radius_(radius), fillOpacity_(fillOpacity), bordered_(bordered) {
    setAccessibleName(name);
}

void SettingsRoundedPanel::setFillOpacity(double opacity) {
    if (opacity != fillOpacity_) {
        fillOpacity_ = opacity;
        update();
    }
}

void SettingsRoundedPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor primary = palette().color(QPalette::WindowText);
    QPainterPath fill;
    fill.addRoundedRect(QRectF(rect()), radius_, radius_);
    painter.fillPath(fill, NiveloTheme::withOpacity(primary, fillOpacity_));
    if (bordered_) {
        QPainterPath edge;
        edge.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius_ - 0.5,
                            radius_ - 0.5);
        painter.strokePath(edge, QPen(NiveloTheme::withOpacity(primary, 0.08), 1));
    }
}
