#include "app/NiveloNativeApp.h"

#include <QApplication>
#include <QWidget>

#include "app/MainWindow.h"
#include "app/NiveloAppDelegate.h"
#include "app/NiveloWindowPresenter.h"
#include "app/WindowKinds.h"
#include "core/Async.h"
#include "panels/QuickPanelController.h"
#include "platform/Defaults.h"
#include "platform/Platform.h"

namespace {

bool hasVisibleWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && !WindowKinds::isPanel(widget)) {
            return true;
        }
    }
    return false;
}

}  // namespace

NiveloNativeApp::NiveloNativeApp(Platform& platform, QObject* parent)
    : QObject(parent),
      platform_(platform),
      appDelegate_(std::make_unique<NiveloAppDelegate>(*platform.defaults, *platform.clock)) {
    // Whether the last window closing ends the process is the delegate's call.
    QApplication::setQuitOnLastWindowClosed(false);
}

NiveloNativeApp::~NiveloNativeApp() {
    delete mainWindow_.data();
}

QuickPanelController& NiveloNativeApp::quickPanel() {
    if (!quickPanel_) {
        quickPanel_ = std::make_unique<QuickPanelController>();
    }
    return *quickPanel_;
}

void NiveloNativeApp::launch() {
    appDelegate_->applicationDidFinishLaunching();
    const QString key = QStringLiteral("nivelo.openMainWindowOnLaunch");
    const bool openWindow =
        platform_.defaults->hasObject(key) ? platform_.defaults->boolValue(key) : true;
    if (openWindow) {
        openMainWindow();
    } else {
        runStartup();
    }
}

void NiveloNativeApp::openMainWindow() {
    if (mainWindow_ || terminating_) {
        return;
    }
    mainWindow_ = new MainWindow();
    mainWindow_->setAttribute(Qt::WA_DeleteOnClose);
    connect(mainWindow_, &MainWindow::showQuickMenuRequested, this,
            &NiveloNativeApp::showQuickMenu);
    connect(mainWindow_, &MainWindow::closed, this,
            [this] { launchLater(this, [this] { afterMainWindowClosed(); }); });
    mainWindow_->show();
    // A fresh main window's content wires the services again.
    runStartup();
}

std::function<void()> NiveloNativeApp::openMainWindowAction() {
    QPointer<NiveloNativeApp> self(this);
    return [self] {
        if (self) {
            self->openMainWindow();
        }
    };
}

void NiveloNativeApp::reopen() {
    const bool visible = NiveloAppDelegate::hasVisibleMainWindow();
    if (appDelegate_->applicationShouldHandleReopen(visible) &&
        WindowKinds::mainWindows().isEmpty()) {
        openMainWindow();
    }
}

void NiveloNativeApp::afterMainWindowClosed() {
    if (terminating_ || hasVisibleWindow()) {
        return;
    }
    if (appDelegate_->applicationShouldTerminateAfterLastWindowClosed()) {
        terminate();
    }
}

void NiveloNativeApp::terminate() {
    if (terminating_) {
        return;
    }
    terminating_ = true;
    appDelegate_->applicationShouldTerminate();
    platform_.defaults->sync();
    Q_EMIT terminated();
    QCoreApplication::quit();
}

void NiveloNativeApp::finishTermination() {
    appDelegate_->applicationWillTerminate();
    platform_.defaults->sync();
}

void NiveloNativeApp::showQuickMenu() {}

void NiveloNativeApp::setStartupObserver(StartupSequence::Observer observer) {
    startupObserver_ = std::move(observer);
}

StartupSequence NiveloNativeApp::startupSequence() {
    StartupSequence sequence;
    return sequence;
}

void NiveloNativeApp::runStartup() {
    ++startupRuns_;
    startupSequence().run(startupObserver_);
}

MainWindow* NiveloNativeApp::mainWindow() const {
    return mainWindow_;
}
