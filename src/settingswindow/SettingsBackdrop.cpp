#include "settingswindow/SettingsBackdrop.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

using NiveloTheme::withOpacity;

namespace {

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
    b.windowMaterial = VisualEffectBackground::materialColor(
        VisualEffectBackground::Material::underWindowBackground, b.scheme);
    b.sidebarMaterial =
        VisualEffectBackground::materialColor(VisualEffectBackground::Material::sidebar, b.scheme);
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

SettingsWindowBackdrop::SettingsWindowBackdrop(QWidget* parent)
    : VisualEffectBackground(Material::underWindowBackground, BlendingMode::behindWindow,
                             State::active, parent) {}

void SettingsWindowBackdrop::setBackdrop(const SettingsBackdrop& backdrop) {
    backdrop_ = backdrop;
    update();
}

void SettingsWindowBackdrop::paintOverMaterial(QPainter& painter) {
    if (backdrop_.gradient) {
        const QRectF r(rect());
        QLinearGradient gradient(r.topLeft(), r.bottomRight());
        gradient.setColorAt(0, (*backdrop_.gradient)[0]);
        gradient.setColorAt(1, (*backdrop_.gradient)[1]);
        painter.fillRect(r, gradient);
    }
}

SettingsSidebarBackdrop::SettingsSidebarBackdrop(QWidget* parent)
    : VisualEffectBackground(Material::sidebar, BlendingMode::behindWindow, State::active, parent) {
}

void SettingsSidebarBackdrop::setBackdrop(const SettingsBackdrop& backdrop) {
    backdrop_ = backdrop;
    update();
}

QPainterPath SettingsSidebarBackdrop::materialShape() const {
    return sidebarShape(QRectF(rect()));
}

void SettingsSidebarBackdrop::paintOverMaterial(QPainter& painter) {
    const QRectF r(rect());
    painter.fillPath(materialShape(), backdrop_.sidebarTint);
    painter.fillRect(QRectF(r.right() - 1, r.top() + 8, 1, r.height() - 16), backdrop_.divider);
}
