#pragma once

#include <QColor>
#include <QPalette>
#include <QRectF>
#include <array>
#include <optional>

#include "core/AppearanceMode.h"
#include "core/SurfaceMode.h"
#include "theme/NiveloTheme.h"

class QPainter;

// What the settings window paints behind its content and its sidebar, all opaque: the
// desktop has no blur behind windows, so the materials are flat fills.
struct SettingsBackdrop {
    QColor windowMaterial;
    // Top-left to bottom-right over the window material; none for `system`.
    std::optional<std::array<QColor, 2>> gradient;
    QColor sidebarMaterial;
    QColor sidebarTint;
    // The 1 px line along the sidebar's trailing edge.
    QColor divider;
    // The content asks for a dark palette with the mode's accent.
    bool darkPalette = false;
    ColorScheme scheme = ColorScheme::light;

    bool operator==(const SettingsBackdrop&) const = default;
};

// separator: the platform's separator colour (used in `system` only).
SettingsBackdrop settingsBackdrop(AppearanceMode mode, SurfaceMode surfaceMode,
                                  ColorScheme environment, QColor separator);

void paintWindowBackdrop(QPainter& painter, const QRectF& rect, const SettingsBackdrop& backdrop);
// The sidebar's shape: radius 18 on the leading corners, 10 on the trailing ones.
void paintSidebarBackdrop(QPainter& painter, const QRectF& rect, const SettingsBackdrop& backdrop);
