#include "theme/Placement.h"

#include <algorithm>

#include "platform/Screens.h"

namespace {

QRect primaryVisibleFrame(const Screens& screens) {
    const auto primary = screens.primary();
    return primary ? primary->visibleFrame : QRect();
}

// The pointer offset (dx, dyTop: the window's top relative to the pointer) kept margin px
// inside the frame; min and max in this order so the right and top margins win.
QPoint keptInside(const QRect& frame, QSize size, QPoint pointer, int dx, int dyTop, int margin) {
    const int right = frame.x() + frame.width();
    const int bottom = frame.y() + frame.height();
    const int x =
        std::min(right - size.width() - margin, std::max(frame.x() + margin, pointer.x() + dx));
    const int top = std::max(frame.y() + margin,
                             std::min(bottom - size.height() - margin, pointer.y() + dyTop));
    return {x, top};
}

}  // namespace

QRect Placement::visibleFrameUnderPointer(const Screens& screens) {
    const QPoint pointer = screens.pointer();
    for (const ScreenFrames& screen : screens.screens()) {
        if (screen.frame.contains(pointer)) {
            return screen.visibleFrame;
        }
    }
    return primaryVisibleFrame(screens);
}

QPoint Placement::nearMouse(const Screens& screens, QSize size) {
    return keptInside(visibleFrameUnderPointer(screens), size, screens.pointer(), 14, -18, 16);
}

QPoint Placement::nearButton(const Screens& screens, QSize size) {
    return keptInside(visibleFrameUnderPointer(screens), size, screens.pointer(), 12,
                      -8 - size.height(), 12);
}

QPoint Placement::statusHud(const Screens& screens, QSize size) {
    const QRect frame = primaryVisibleFrame(screens);
    return {frame.x() + frame.width() / 2 - size.width() / 2,
            frame.y() + frame.height() - 82 - size.height()};
}
