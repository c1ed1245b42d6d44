#include "theme/FloatingSurface.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>

#include "theme/PopupPalette.h"

using NiveloTheme::withOpacity;

namespace {

QColor white(double opacity) {
    return withOpacity(Qt::white, opacity);
}

QColor black(double opacity) {
    return withOpacity(Qt::black, opacity);
}

QPainterPath roundedPath(const QRectF& rect, double radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

// A flat colour in place of the blurred material: the desktop has no blur behind windows.
QColor materialColor(SurfaceMode surfaceMode, ColorScheme scheme) {
    const double opacity = surfaceMode == SurfaceMode::solid ? 0.94 : 0.78;
    const QColor base = scheme == ColorScheme::dark ? QColor(40, 40, 44) : QColor(240, 240, 242);
    return withOpacity(base, opacity);
}

void strokeInside(QPainter& painter, const QRectF& rect, double radius, double width,
                  const QBrush& brush) {
    const double inset = width / 2;
    QPen pen(brush, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(
        roundedPath(rect.adjusted(inset, inset, -inset, -inset), std::max(0.0, radius - inset)));
}

}  // namespace

FloatingSurfaceRecipe floatingSurfaceRecipe(AppearanceMode mode, SurfaceMode surfaceMode,
                                            double cornerRadius, ColorScheme environment,
                                            bool shadow, double accentStrength) {
    const bool solid = surfaceMode == SurfaceMode::solid;
    FloatingSurfaceRecipe r;
    r.cornerRadius = cornerRadius;
    r.scheme = NiveloTheme::effectiveScheme(mode, environment);
    r.material = materialColor(surfaceMode, r.scheme);
    r.wash = NiveloTheme::glassWash(mode, surfaceMode, environment);
    r.sheen = {white(solid ? 0.055 : 0.075), white(0.018), black(solid ? 0.22 : 0.16)};
    r.highlightGlow = {white(solid ? 0.045 : 0.07), std::max(10 * cornerRadius, 120.0)};
    if (NiveloTheme::isLiquid(mode)) {
        r.tintGlow = FloatingSurfaceRecipe::Glow{
            withOpacity(NiveloTheme::surfaceTint(mode), (solid ? 0.055 : 0.032) * accentStrength),
            std::max(14 * cornerRadius, 180.0)};
    }
    if (solid) {
        r.innerStroke = {white(0.22), white(0.075), black(0.28)};
    } else {
        r.innerStroke = {white(0.28), white(0.10), black(0.22)};
    }
    r.border = withOpacity(NiveloTheme::floatingBorderColor(mode, surfaceMode), 0.55);
    if (shadow) {
        r.shadow = FloatingSurfaceRecipe::Shadow{black(solid ? 0.30 : 0.22), 26, {0, 16}};
    }
    r.accent = NiveloTheme::accentColor(mode);
    r.darkPalette = NiveloTheme::isLiquid(mode);
    return r;
}

void paintFloatingSurface(QPainter& painter, const QRectF& rect,
                          const FloatingSurfaceRecipe& recipe, bool opaque) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shape = roundedPath(rect, recipe.cornerRadius);
    painter.setClipPath(shape);
    painter.setPen(Qt::NoPen);

    QColor material = recipe.material;
    if (opaque) {
        material.setAlphaF(1.0f);
    }
    painter.fillPath(shape, material);
    painter.fillPath(shape, recipe.wash);

    QLinearGradient sheen(rect.topLeft(), rect.bottomLeft());
    sheen.setColorAt(0, recipe.sheen[0]);
    sheen.setColorAt(0.5, recipe.sheen[1]);
    sheen.setColorAt(1, recipe.sheen[2]);
    painter.fillPath(shape, sheen);

    const auto glow = [&](QPointF centre, const FloatingSurfaceRecipe::Glow& g) {
        QRadialGradient gradient(centre, g.endRadius);
        gradient.setColorAt(0, g.color);
        QColor clear = g.color;
        clear.setAlpha(0);
        gradient.setColorAt(1, clear);
        painter.fillPath(shape, gradient);
    };
    glow(rect.topLeft(), recipe.highlightGlow);
    if (recipe.tintGlow) {
        glow(rect.topRight(), *recipe.tintGlow);
    }

    QLinearGradient edge(rect.topLeft(), rect.bottomRight());
    edge.setColorAt(0, recipe.innerStroke[0]);
    edge.setColorAt(0.5, recipe.innerStroke[1]);
    edge.setColorAt(1, recipe.innerStroke[2]);
    strokeInside(painter, rect, recipe.cornerRadius, 1.0, edge);
    strokeInside(painter, rect, recipe.cornerRadius, 0.5, recipe.border);
    painter.restore();
}

void paintFloatingShadow(QPainter& painter, const QRectF& rect,
                         const FloatingSurfaceRecipe& recipe) {
    if (!recipe.shadow) {
        return;
    }
    // A blur approximated by rings that fade outwards, clipped away from the surface itself.
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QPainterPath outside;
    outside.addRect(rect.adjusted(-200, -200, 200, 200));
    outside = outside.subtracted(roundedPath(rect, recipe.cornerRadius));
    painter.setClipPath(outside);
    const FloatingSurfaceRecipe::Shadow& s = *recipe.shadow;
    const int steps = 8;
    const QRectF shifted = rect.translated(s.offset);
    for (int i = steps; i >= 1; --i) {
        const double spread = s.blurRadius * i / steps / 2;
        QColor c = s.color;
        c.setAlphaF(float(s.color.alphaF() / steps));
        painter.setBrush(c);
        painter.drawPath(roundedPath(shifted.adjusted(-spread, -spread, spread, spread),
                                     recipe.cornerRadius + spread));
    }
    painter.restore();
}

FloatingSurface::FloatingSurface(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_StyledBackground, false);
    setAutoFillBackground(false);
    setAccessibleName(QStringLiteral("Panel"));
    // The panel's menus and lists open in its look, dark in the liquid modes.
    new PopupPalette(this);
}

void FloatingSurface::setRecipe(const FloatingSurfaceRecipe& recipe) {
    recipe_ = recipe;
    QPalette palette =
        recipe.darkPalette ? NiveloTheme::darkPalette(AppearanceMode::system) : QPalette();
    if (!recipe.darkPalette) {
        palette = QApplication::palette();
    }
    palette.setColor(QPalette::Highlight, recipe.accent);
    palette.setColor(QPalette::Link, recipe.accent);
    NiveloTheme::makeHighlightReadable(palette);
    setPalette(palette);
    update();
}

void FloatingSurface::setOpaque(bool opaque) {
    opaque_ = opaque;
    update();
}

void FloatingSurface::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintFloatingSurface(painter, QRectF(rect()), recipe_, opaque_);
}
