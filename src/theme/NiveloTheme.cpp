#include "theme/NiveloTheme.h"

#include <algorithm>
#include <cmath>

#include <QGuiApplication>

namespace {

QColor rgb(double r, double g, double b) {
    return QColor::fromRgbF(float(r), float(g), float(b));
}

struct ModeColors {
    QColor accent;
    QColor tint;
    QColor backgroundStart;
    QColor backgroundEnd;
};

ModeColors liquidColors(AppearanceMode mode) {
    switch (mode) {
        case AppearanceMode::liquidSky:
            return {rgb(0.25, 0.62, 1.0), rgb(0.18, 0.52, 1.0), rgb(0.12, 0.42, 0.86),
                    rgb(0.05, 0.17, 0.36)};
        case AppearanceMode::liquidViolet:
            return {rgb(0.58, 0.42, 1.0), rgb(0.48, 0.30, 1.0), rgb(0.35, 0.20, 0.86),
                    rgb(0.12, 0.08, 0.32)};
        case AppearanceMode::liquidMint:
            return {rgb(0.20, 0.78, 0.58), rgb(0.10, 0.66, 0.48), rgb(0.08, 0.54, 0.42),
                    rgb(0.04, 0.22, 0.18)};
        case AppearanceMode::liquidRose:
            return {rgb(1.0, 0.38, 0.62), rgb(1.0, 0.28, 0.50), rgb(0.78, 0.20, 0.42),
                    rgb(0.30, 0.08, 0.18)};
        case AppearanceMode::liquidNoir:
            return {rgb(0.64, 0.66, 0.72), rgb(0.12, 0.13, 0.16), rgb(0.08, 0.09, 0.11),
                    rgb(0.02, 0.02, 0.03)};
        case AppearanceMode::system:
            break;
    }
    return {QGuiApplication::palette().color(QPalette::Highlight), Qt::transparent, Qt::transparent,
            Qt::transparent};
}

QColor white(double opacity) {
    return NiveloTheme::withOpacity(Qt::white, opacity);
}

QColor black(double opacity) {
    return NiveloTheme::withOpacity(Qt::black, opacity);
}

}  // namespace

QColor NiveloTheme::withOpacity(QColor c, double factor) {
    c.setAlphaF(float(c.alphaF() * factor));
    return c;
}

bool NiveloTheme::isLiquid(AppearanceMode mode) {
    return mode != AppearanceMode::system;
}

QColor NiveloTheme::accentColor(AppearanceMode mode) {
    return liquidColors(mode).accent;
}

QColor NiveloTheme::surfaceTint(AppearanceMode mode) {
    return liquidColors(mode).tint;
}

std::array<QColor, 2> NiveloTheme::backgroundColors(AppearanceMode mode) {
    const ModeColors colors = liquidColors(mode);
    return {colors.backgroundStart, colors.backgroundEnd};
}

QColor NiveloTheme::systemSolidGlassOverlay(AppearanceMode mode) {
    if (isLiquid(mode)) {
        return withOpacity(rgb(0.11, 0.11, 0.115), 0.16);
    }
    return withOpacity(QGuiApplication::palette().color(QPalette::Window), 0.12);
}

ColorScheme NiveloTheme::environmentScheme() {
    return paletteScheme(QGuiApplication::palette());
}

ColorScheme NiveloTheme::paletteScheme(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < 128 ? ColorScheme::dark
                                                             : ColorScheme::light;
}

ColorScheme NiveloTheme::effectiveScheme(AppearanceMode mode, ColorScheme environment) {
    return isLiquid(mode) ? ColorScheme::dark : environment;
}

QColor NiveloTheme::glassWash(AppearanceMode mode, SurfaceMode surfaceMode,
                              ColorScheme environment) {
    const bool solid = surfaceMode == SurfaceMode::solid;
    if (effectiveScheme(mode, environment) == ColorScheme::light) {
        return white(solid ? 0.34 : 0.18);
    }
    return black(solid ? 0.36 : 0.24);
}

QColor NiveloTheme::floatingBorderColor(AppearanceMode mode, SurfaceMode surfaceMode) {
    if (surfaceMode == SurfaceMode::translucent) {
        return white(0.16);
    }
    return white(isLiquid(mode) ? 0.12 : 0.10);
}

QColor NiveloTheme::color(Role role, ColorScheme scheme) {
    const bool dark = scheme == ColorScheme::dark;
    switch (role) {
        case Role::blue:
            return dark ? QColor(10, 132, 255) : QColor(0, 122, 255);
        case Role::green:
            return dark ? QColor(48, 209, 88) : QColor(52, 199, 89);
        case Role::orange:
            return dark ? QColor(255, 159, 10) : QColor(255, 149, 0);
        case Role::yellow:
            return dark ? QColor(255, 214, 10) : QColor(255, 204, 0);
        case Role::red:
            return dark ? QColor(255, 69, 58) : QColor(255, 59, 48);
        case Role::label:
            return dark ? white(0.88) : black(0.85);
        case Role::secondaryLabel:
            return dark ? white(0.55) : black(0.50);
    }
    return Qt::black;
}

QPalette NiveloTheme::darkPalette(AppearanceMode mode) {
    QPalette palette;
    const QColor text = color(Role::label, ColorScheme::dark);
    const QColor base(30, 30, 32);
    palette.setColor(QPalette::Window, QColor(36, 36, 38));
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, QColor(44, 44, 46));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(58, 58, 60));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, color(Role::secondaryLabel, ColorScheme::dark));
    palette.setColor(QPalette::Highlight, accentColor(mode));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, accentColor(mode));
    palette.setColor(QPalette::Disabled, QPalette::Text, white(0.35));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, white(0.35));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, white(0.35));
    makeHighlightReadable(palette);
    return palette;
}

QFont NiveloTheme::font(FontRole role) {
    QFont f = QGuiApplication::font();
    int size = 13;
    bool bold = false;
    switch (role) {
        case FontRole::body:
            break;
        case FontRole::headline:
            bold = true;
            break;
        case FontRole::callout:
            size = 12;
            break;
        case FontRole::subheadline:
            size = 11;
            break;
        case FontRole::footnote:
        case FontRole::caption:
        case FontRole::caption2:
            size = 10;
            break;
    }
    f.setPixelSize(size);
    f.setBold(bold);
    return f;
}

double NiveloTheme::contrastRatio(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

void NiveloTheme::makeHighlightReadable(QPalette& palette) {
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        const QColor ground = palette.color(group, QPalette::Highlight);
        if (contrastRatio(ground, palette.color(group, QPalette::HighlightedText)) >=
            kReadableContrast) {
            continue;
        }
        const QColor text = contrastRatio(ground, Qt::white) >= contrastRatio(ground, Qt::black)
                                ? QColor(Qt::white)
                                : QColor(Qt::black);
        palette.setColor(group, QPalette::HighlightedText, text);
    }
}

QColor NiveloTheme::color(Role role, const QPalette& palette) {
    return color(role, paletteScheme(palette));
}
