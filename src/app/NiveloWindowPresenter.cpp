#include "app/NiveloWindowPresenter.h"

#include <QApplication>
#include <QWidget>

#include "app/DockPresence.h"
#include "app/MainWindow.h"
#include "app/NiveloAppDelegate.h"
#include "app/WindowKinds.h"
#include "base/Async.h"
#include "platform/Platform.h"
#include "platform/WindowActivation.h"

namespace {

void activate(QWidget* window) {
    WindowActivation* activation = Platform::current().windowActivation.get();
    if (activation) {
        activation->activate(window->winId());
    }
}

}  // namespace

bool NiveloWindowPresenter::showExistingMainWindow() {
    const QList<QWidget*> windows = WindowKinds::mainWindows();
    if (windows.isEmpty()) {
        return false;
    }
    QWidget* window = windows.first();
    NiveloAppDelegate::configureWindow(window);
    auto* main = qobject_cast<MainWindow*>(window);
    if (const Screens* screens = Platform::current().screens.get(); main && screens) {
        main->fitToScreen(*screens);
    }
    if (window->isMinimized()) {
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    }
    window->show();
    window->raise();
    window->activateWindow();
    // Qt's own request counts as an application's and may be refused as focus stealing.
    activate(window);
    return true;
}

void NiveloWindowPresenter::showMainWindow(std::function<void()> openWindow) {
    DockPresence::shared().setPolicy(ActivationPolicy::Regular);
    if (showExistingMainWindow()) {
        return;
    }
    if (openWindow) {
        openWindow();
    }
    launchLater(qApp, [] {
        DockPresence::shared().setPolicy(ActivationPolicy::Regular);
        showExistingMainWindow();
    });
}
