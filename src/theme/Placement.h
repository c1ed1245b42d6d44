#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

class Screens;

// Where panels open, in Qt's global coordinates. Every rule keeps its margins inside the
// visible frame; a window that fits the frame only without them gets smaller margins, and one
// larger than the frame keeps its right and top edges inside. A window is never shown larger
// than the visible frame less the margins, down to its minimum size, and never larger than the
// visible frame at all: a screen smaller than its minimum cuts it to the frame, so that none
// of its controls lies off the screen or under a task bar.
namespace Placement {

// The visible frame of the first screen whose full frame holds the pointer, else of the main
// screen, else an empty rectangle at the origin.
QRect visibleFrameUnderPointer(const Screens& screens);

// Left edge 14 px right of the pointer, top edge 18 px above it, 16 px inside the frame.
QPoint nearMouse(const Screens& screens, QSize size);
// Left edge 12 px right of the pointer, bottom edge 8 px above it, 12 px inside the frame.
QPoint nearButton(const Screens& screens, QSize size);
// The wanted size cut to the frame less margin px on each side, not below the minimum unless
// the frame itself is smaller.
QSize fitted(QSize wanted, QSize minimum, const QRect& frame, int margin);
// A panel that wants `wanted` and can shrink to `minimum`, near the mouse: its size fitted to
// the visible frame under the pointer, placed by nearMouse.
QRect nearMouseFrame(const Screens& screens, QSize wanted, QSize minimum);

// The visible frame of the screen that holds the largest part of the rectangle, else of the
// main screen, else an empty rectangle.
QRect visibleFrameHolding(const Screens& screens, const QRect& rect);
// A window's frame moved, and cut down to no less than its minimum, to lie inside the visible
// frame; where even the minimum does not fit, it is cut to the visible frame.
QRect within(const QRect& window, QSize minimum, const QRect& visible);

// Centred horizontally, bottom edge 82 px above the bottom of the main screen's visible frame.
// Where that covers one of the `shown` windows, the nearest place just below or above them
// that covers none and lies inside the visible frame; where there is none, the usual place.
QPoint statusHud(const Screens& screens, QSize size, const QList<QRect>& shown = {});

}  // namespace Placement
