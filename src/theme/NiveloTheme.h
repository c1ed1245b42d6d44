#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <array>

#include "core/AppearanceMode.h"
#include "core/SurfaceMode.h"

// Light or dark: what the desktop's palette shows, or what a liquid mode asks for.
enum class ColorScheme { light, dark };

// The colours of each appearance mode. `system` follows the desktop (its accent is the
// palette's highlight, its tint and backdrop are clear); the liquid modes are dark themes.
namespace NiveloTheme {

QColor accentColor(AppearanceMode mode);
QColor surfaceTint(AppearanceMode mode);
// Start and end of the settings window's diagonal backdrop.
std::array<QColor, 2> backgroundColors(AppearanceMode mode);
// The fill under a solid surface.
QColor systemSolidGlassOverlay(AppearanceMode mode);
// The wash over the surface's material: white in a light scheme, black in a dark one.
QColor glassWash(AppearanceMode mode, SurfaceMode surfaceMode, ColorScheme environment);
// The fine inner border of a surface, before the surface's own × 0.55.
QColor floatingBorderColor(AppearanceMode mode, SurfaceMode surfaceMode);

// A liquid mode's own scheme (dark); none for `system`.
bool isLiquid(AppearanceMode mode);
// The scheme of the application's palette (dark when its window colour is dark).
ColorScheme environmentScheme();
// The scheme a palette draws in, by the same rule.
ColorScheme paletteScheme(const QPalette& palette);
// What a surface in this mode draws in.
ColorScheme effectiveScheme(AppearanceMode mode, ColorScheme environment);

// The standard colours of either scheme.
enum class Role { blue, green, orange, yellow, red, label, secondaryLabel };
QColor color(Role role, ColorScheme scheme);
// One of them in the scheme a palette draws in.
QColor color(Role role, const QPalette& palette);
// A dark palette for the liquid modes, with the mode's accent as highlight.
QPalette darkPalette(AppearanceMode mode);

// The text sizes, in logical pixels.
enum class FontRole { body, headline, callout, subheadline, footnote, caption, caption2 };
QFont font(FontRole role);

// The contrast ratio of two opaque colours, from 1 (equal) to 21 (black on white).
double contrastRatio(const QColor& a, const QColor& b);

// The least contrast of text on a highlight: a highlighted row's name, a selected text.
inline constexpr double kReadableContrast = 4.5;
// Text on a highlight that reads at kReadableContrast: the palette's own highlighted-text
// colour where it does, else white or black, whichever contrasts more (one of them always
// does). The highlight itself, the look's accent, stays.
void makeHighlightReadable(QPalette& palette);

// c with its opacity multiplied by factor.
QColor withOpacity(QColor c, double factor);

}  // namespace NiveloTheme
