#include "platform/QtScreens.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace {

ScreenFrames framesOf(const QScreen* screen) {
    return {screen->geometry(), screen->availableGeometry()};
}

// The screen that holds the largest part of the rectangle; none when no screen holds any.
const QScreen* screenHolding(const QRect& rect) {
    const QScreen* best = nullptr;
    qint64 bestArea = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect common = screen->geometry().intersected(rect);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    return best;
}

}  // namespace

QtScreens::QtScreens(ActiveWindowFrame activeWindowFrame)
    : activeWindowFrame_(std::move(activeWindowFrame)) {}

QPoint QtScreens::pointer() const {
    return QCursor::pos();
}

QList<ScreenFrames> QtScreens::screens() const {
    QList<ScreenFrames> result;
    for (const QScreen* screen : QGuiApplication::screens()) {
        result.append(framesOf(screen));
    }
    return result;
}

std::optional<ScreenFrames> QtScreens::mainScreen() const {
    const QScreen* screen = nullptr;
    if (activeWindowFrame_) {
        if (const std::optional<QRect> frame = activeWindowFrame_()) {
            screen = screenHolding(*frame);
        }
    }
    if (!screen) {
        screen = QGuiApplication::screenAt(QCursor::pos());
    }
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    if (!screen) {
        return std::nullopt;
    }
    return framesOf(screen);
}
