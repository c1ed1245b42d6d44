#include "platform/QtScreens.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace {
ScreenFrames framesOf(const QScreen* screen) {
    return {screen->geometry(), screen->availableGeometry()};
}
}  // namespace

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

std::optional<ScreenFrames> QtScreens::primary() const {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        return framesOf(screen);
    }
    return std::nullopt;
}
