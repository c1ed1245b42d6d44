#include "theme/Placement.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "platform/Screens.h"

namespace {

constexpr int kNearMouseMargin = 16;

QRect mainVisibleFrame(const Screens& screens) {
    const auto main = screens.mainScreen();
    return main ? main->visibleFrame : QRect();
}

// The pointer offset (dx, dyTop: the window's top relative to the pointer) kept margin px
// inside the frame. A window that fits the frame but not with both margins gets smaller
// margins, so that all of it shows; one larger than the frame keeps its right and top edges
// inside (min and max in this order).
QPoint keptInside(const QRect& frame, QSize size, QPoint pointer, int dx, int dyTop, int margin) {
    const int right = frame.x() + frame.width();
    const int bottom = frame.y() + frame.height();
    const int mx = std::clamp((frame.width() - size.width()) / 2, 0, margin);
    const int my = std::clamp((frame.height() - size.height()) / 2, 0, margin);
    const int x = std::min(right - size.width() - mx, std::max(frame.x() + mx, pointer.x() + dx));
    const int top =
        std::max(frame.y() + my, std::min(bottom - size.height() - my, pointer.y() + dyTop));
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
    return mainVisibleFrame(screens);
}

QPoint Placement::nearMouse(const Screens& screens, QSize size) {
    return keptInside(visibleFrameUnderPointer(screens), size, screens.pointer(), 14, -18,
                      kNearMouseMargin);
}

QSize Placement::fitted(QSize wanted, QSize minimum, const QRect& frame, int margin) {
    if (frame.isEmpty()) {
        return wanted;
    }
    const QSize room = frame.size() - QSize(2 * margin, 2 * margin);
    return wanted.boundedTo(room).expandedTo(minimum).boundedTo(frame.size());
}

QRect Placement::nearMouseFrame(const Screens& screens, QSize wanted, QSize minimum) {
    const QSize size = fitted(wanted, minimum, visibleFrameUnderPointer(screens), kNearMouseMargin);
    return {nearMouse(screens, size), size};
}

QPoint Placement::nearButton(const Screens& screens, QSize size) {
    return keptInside(visibleFrameUnderPointer(screens), size, screens.pointer(), 12,
                      -8 - size.height(), 12);
}

QRect Placement::visibleFrameHolding(const Screens& screens, const QRect& rect) {
    QRect best;
    qint64 bestArea = 0;
    for (const ScreenFrames& screen : screens.screens()) {
        const QRect common = screen.frame.intersected(rect);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            best = screen.visibleFrame;
            bestArea = area;
        }
    }
    return bestArea > 0 ? best : mainVisibleFrame(screens);
}

QRect Placement::within(const QRect& window, QSize minimum, const QRect& visible) {
    if (visible.isEmpty()) {
        return window;
    }
    const QSize size = window.size().expandedTo(minimum).boundedTo(visible.size());
    const int right = visible.x() + visible.width();
    const int bottom = visible.y() + visible.height();
    const int x = std::max(visible.x(), std::min(window.x(), right - size.width()));
    const int y = std::max(visible.y(), std::min(window.y(), bottom - size.height()));
    return {QPoint(x, y), size};
}

QPoint Placement::statusHud(const Screens& screens, QSize size, const QList<QRect>& shown) {
    constexpr int kGap = 8;
    const QRect frame = mainVisibleFrame(screens);
    const QRect usual({frame.x() + frame.width() / 2 - size.width() / 2,
                       frame.y() + frame.height() - 82 - size.height()},
                      size);
    const auto free = [&](const QRect& place) {
        return std::none_of(shown.begin(), shown.end(),
                            [&](const QRect& window) { return window.intersects(place); });
    };
    if (free(usual)) {
        return usual.topLeft();
    }
    std::optional<QRect> best;
    for (const QRect& window : shown) {
        for (const int top : {window.bottom() + 1 + kGap, window.top() - kGap - size.height()}) {
            const QRect place = usual.translated(0, top - usual.top());
            if (frame.contains(place) && free(place) &&
                (!best || std::abs(top - usual.top()) < std::abs(best->top() - usual.top()))) {
                best = place;
            }
        }
    }
    return best.value_or(usual).topLeft();
}
