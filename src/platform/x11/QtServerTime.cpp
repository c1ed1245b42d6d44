#include "platform/x11/QtServerTime.h"

#include <qpa/qplatformnativeinterface.h>
#include <QGuiApplication>
#include <QScreen>

namespace qtServerTime {

void catchUp() {
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!native || !screen) {
        return;
    }
    using SetAppTime = void (*)(QScreen*, quint32);
    const auto setAppTime =
        reinterpret_cast<SetAppTime>(native->nativeResourceFunctionForScreen("setapptime"));
    const auto now = quint32(quintptr(native->nativeResourceForScreen("gettimestamp", screen)));
    if (setAppTime && now != 0) {
        setAppTime(screen, now);
    }
}

}  // namespace qtServerTime
