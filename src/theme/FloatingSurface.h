#pragma once

#include <QColor>
#include <QPointF>
#include <QWidget>
#include <array>
#include <optional>

#include "core/AppearanceMode.h"
#include "core/SurfaceMode.h"
#include "theme/NiveloTheme.h"

class QPainter;

// Everything a floating panel's surface is painted from: a rounded rectangle filled with a
// flat material, washes, a sheen, two glows, two inner borders and a shadow.
struct FloatingSurfaceRecipe {
    struct Glow {
        QColor color;  // fades to clear
        double endRadius = 0;
    };
    struct Shadow {
        QColor color;
        double blurRadius = 0;
        QPointF offset;
    };

    double cornerRadius = 0;
    // The flat stand-in for the regular (solid) or ultra-thin (translucent) material.
    QColor material;
    QColor wash;
    // Top to bottom, evenly spaced.
    std::array<QColor, 3> sheen;
    // At the top-left corner.
    Glow highlightGlow;
    // At the top-right corner, in the mode's tint; none for `system`.
    std::optional<Glow> tintGlow;
    // 1 px, top-left to bottom-right, evenly spaced.
    std::array<QColor, 3> innerStroke;
    // 0.5 px.
    QColor border;
    std::optional<Shadow> shadow;
    // The content's tint (its highlight colour).
    QColor accent;
    // The content is drawn in a dark palette (the liquid modes).
    bool darkPalette = false;
    // The scheme the surface draws in.
    ColorScheme scheme = ColorScheme::light;
};

FloatingSurfaceRecipe floatingSurfaceRecipe(AppearanceMode mode, SurfaceMode surfaceMode,
                                            double cornerRadius, ColorScheme environment,
                                            bool shadow = true, double accentStrength = 0.9);

// Paints the recipe into rect (the surface shape); opaque paints the material without
// transparency, for windows the desktop cannot show see-through.
void paintFloatingSurface(QPainter& painter, const QRectF& rect,
                          const FloatingSurfaceRecipe& recipe, bool opaque);
// The shadow around rect, for a see-through window with room for it.
void paintFloatingShadow(QPainter& painter, const QRectF& rect,
                         const FloatingSurfaceRecipe& recipe);

// A widget that paints the floating surface behind its children; its content sits in its own
// layout. Applies the mode's palette (dark for a liquid mode, the accent as highlight).
class FloatingSurface : public QWidget {
    Q_OBJECT
public:
    explicit FloatingSurface(QWidget* parent = nullptr);

    void setRecipe(const FloatingSurfaceRecipe& recipe);
    const FloatingSurfaceRecipe& recipe() const { return recipe_; }
    // The window is opaque: the material is painted without transparency.
    void setOpaque(bool opaque);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    FloatingSurfaceRecipe recipe_;
    bool opaque_ = true;
};
