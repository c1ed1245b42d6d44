#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QString>

// The tray icon: "AI" over a small keyboard of two key rows and a space bar, in an 18 × 18
// logical-pixel square. Linux trays do not tint icons, so the glyph is drawn in a given colour.
namespace NiveloMenuBarIcon {

constexpr int kSize = 18;

// The glyph at scale device pixels per logical pixel, clear around it.
QImage makeImage(const QColor& color, qreal scale = 1.0);
// The glyph at the usual scales, marked as a mask for hosts that tint it.
QIcon makeIcon(const QColor& color);

}  // namespace NiveloMenuBarIcon
