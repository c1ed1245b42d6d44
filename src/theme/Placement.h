#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class Screens;

// Where panels open, in Qt's global coordinates. Every rule keeps its margins inside the
// visible frame; when the frame is too small for both, the right and top margins win.
namespace Placement {

// The visible frame of the first screen whose full frame holds the pointer, else of the main
// screen, else an empty rectangle at the origin.
QRect visibleFrameUnderPointer(const Screens& screens);

// Left edge 14 px right of the pointer, top edge 18 px above it, 16 px inside the frame.
QPoint nearMouse(const Screens& screens, QSize size);
// Left edge 12 px right of the pointer, bottom edge 8 px above it, 12 px inside the frame.
QPoint nearButton(const Screens& screens, QSize size);
// Centred horizontally, bottom edge 82 px above the bottom of the main screen's visible frame.
QPoint statusHud(const Screens& screens, QSize size);

}  // namespace Placement
