#include "app/WindowKinds.h"

#include <QApplication>
#include <QWidget>

bool WindowKinds::isTrayIconWindow(const QWidget* window) {
    return window && (window->inherits("QSystemTrayIconSys") ||
                      window->objectName() == QLatin1String("QSystemTrayIconSys"));
}

bool WindowKinds::isPanel(const QWidget* window) {
    if (!window || !window->isWindow()) {
        return false;
    }
    // The tray icon's own window (the XEmbed fallback) is no window of the user's.
    if (isTrayIconWindow(window)) {
        return true;
    }
    switch (window->windowType()) {
        // Message boxes and other dialogs keep their own titles, as panels do.
        case Qt::Dialog:
        case Qt::Tool:
        case Qt::Popup:
        case Qt::ToolTip:
        case Qt::SplashScreen:
        case Qt::Drawer:
        case Qt::Sheet:
            return true;
        default:
            return false;
    }
}

bool WindowKinds::isMainWindow(const QWidget* window) {
    return window && window->isWindow() && window->windowType() == Qt::Window &&
           !window->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus) &&
           !isTrayIconWindow(window);
}

QList<QWidget*> WindowKinds::mainWindows() {
    QList<QWidget*> result;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (isMainWindow(widget)) {
            result.append(widget);
        }
    }
    return result;
}

bool WindowKinds::isVisibleMainWindow(const QWidget* window) {
    return isMainWindow(window) && window->isVisible() && !window->isMinimized();
}
