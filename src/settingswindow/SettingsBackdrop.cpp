#include "settingswindow/SettingsBackdrop.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

using NiveloTheme::withOpacity;

namespace {

QColor windowMaterial(ColorScheme scheme) {
    return scheme == ColorScheme::dark ? QColor(30, 30, 33) : QColor(236, 236, 238);
}

QColor sidebarMaterial(ColorScheme scheme) {
    return scheme == ColorScheme::dark ? QColor(42, 42, 46) : QColor(226, 226, 230);
}

QPainterPath sidebarShape(const QRectF& r) {
    const double lead = 18;
    const double trail = 10;
    QPainterPath path;
    path.moveTo(r.left() + lead, r.top());
    path.lineTo(r.right() - trail, r.top());
    path.quadTo(r.right(), r.top(), r.right(), r.top() + trail);
    path.lineTo(r.right(), r.bottom() - trail);
    path.quadTo(r.right(), r.bottom(), r.right() - trail, r.bottom());
    path.lineTo(r.left() + lead, r.bottom());
    path.quadTo(r.left(), r.bottom(), r.left(), r.bottom() - lead);
    path.lineTo(r.left(), r.top() + lead);
    path.quadTo(r.left(), r.top(), r.left() + lead, r.top());
    path.closeSubpath();
    return path;
}

}  // namespace

SettingsBackdrop settingsBackdrop(AppearanceMode mode, SurfaceMode surfaceMode,
                                  ColorScheme environment, QColor separator) {
    const bool liquid = NiveloTheme::isLiquid(mode);
    const bool solid = surfaceMode == SurfaceMode::solid;
    SettingsBackdrop b;
    b.scheme = NiveloTheme::effectiveScheme(mode, environment);
    b.darkPalette = liquid;
    b.windowMaterial = windowMaterial(b.scheme);
    b.sidebarMaterial = sidebarMaterial(b.scheme);
    if (liquid) {
        const auto colors = NiveloTheme::backgroundColors(mode);
        const double opacity = solid ? 0.18 : 0.08;
        b.gradient =
            std::array<QColor, 2>{withOpacity(colors[0], opacity), withOpacity(colors[1], opacity)};
        b.sidebarTint = withOpacity(NiveloTheme::surfaceTint(mode), solid ? 0.045 : 0.025);
        b.divider = withOpacity(withOpacity(Qt::white, 0.08), 0.55);
    } else {
        b.sidebarTint = QColor(Qt::transparent);
        b.divider = withOpacity(separator, 0.55);
    }
    return b;
}

void paintWindowBackdrop(QPainter& painter, const QRectF& rect, const SettingsBackdrop& backdrop) {
    painter.fillRect(rect, backdrop.windowMaterial);
    if (backdrop.gradient) {
        QLinearGradient gradient(rect.topLeft(), rect.bottomRight());
        gradient.setColorAt(0, (*backdrop.gradient)[0]);
        gradient.setColorAt(1, (*backdrop.gradient)[1]);
        painter.fillRect(rect, gradient);
    }
}

void paintSidebarBackdrop(QPainter& painter, const QRectF& rect, const SettingsBackdrop& backdrop) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shape = sidebarShape(rect);
    painter.fillPath(shape, backdrop.sidebarMaterial);
    painter.fillPath(shape, backdrop.sidebarTint);
    const QRectF line(rect.right() - 1, rect.top() + 8, 1, rect.height() - 16);
    painter.fillRect(line, backdrop.divider);
    painter.restore();
}
