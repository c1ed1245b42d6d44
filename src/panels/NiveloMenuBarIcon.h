#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QString>
#include <optional>

// The tray icon: "AI" over a small keyboard of two key rows and a space bar, in an 18 × 18
// logical-pixel square. Linux trays do not tint icons, so the glyph is drawn in a given colour:
// the one of black and white that stands out more on the panel behind it.
namespace NiveloMenuBarIcon {

constexpr int kSize = 18;

// The glyph at scale device pixels per logical pixel, clear around it.
QImage makeImage(const QColor& color, qreal scale = 1.0);
// The glyph at the usual scales, marked as a mask for hosts that tint it.
QIcon makeIcon(const QColor& color);

// The panel's colour in a picture of the icon's square: the mean of its corners, which the
// glyph never covers; none for an empty picture.
std::optional<QColor> panelColor(const QImage& square);
// Black or white, whichever contrasts more with the panel (at least 4.5:1 on any colour).
QColor glyphColorOn(const QColor& panel);

}  // namespace NiveloMenuBarIcon
