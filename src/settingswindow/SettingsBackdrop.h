#pragma once

#include <QColor>
#include <QPalette>
#include <QRectF>
#include <array>
#include <optional>

#include "core/AppearanceMode.h"
#include "core/SurfaceMode.h"
#include "theme/NiveloTheme.h"
#include "theme/VisualEffectBackground.h"

class QPainter;

// What the settings window paints behind its content and its sidebar, all opaque: the
// materials are the flat fills of VisualEffectBackground.
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

// The window's backdrop: the under-window material, and over it a liquid mode's gradient.
class SettingsWindowBackdrop : public VisualEffectBackground {
    Q_OBJECT
public:
    explicit SettingsWindowBackdrop(QWidget* parent = nullptr);
    void setBackdrop(const SettingsBackdrop& backdrop);

protected:
    void paintOverMaterial(QPainter& painter) override;

private:
    SettingsBackdrop backdrop_;
};

// The sidebar's backdrop: the sidebar material with a liquid mode's tint, shaped with radius
// 18 on the leading corners and 10 on the trailing ones, and the divider along its edge.
class SettingsSidebarBackdrop : public VisualEffectBackground {
    Q_OBJECT
public:
    explicit SettingsSidebarBackdrop(QWidget* parent = nullptr);
    void setBackdrop(const SettingsBackdrop& backdrop);

protected:
    QPainterPath materialShape() const override;
    void paintOverMaterial(QPainter& painter) override;

private:
    SettingsBackdrop backdrop_;
};
