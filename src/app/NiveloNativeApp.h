#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "app/StartupSequence.h"

class MainWindow;
class NiveloAppDelegate;
class QuickPanelController;
struct Platform;

// The root of the process: owns every long-lived service, hosts the main window, and wires
// the services together each time the main window's content is created (and once at launch
// when the window is not opened then).
class NiveloNativeApp : public QObject {
    Q_OBJECT
public:
    explicit NiveloNativeApp(Platform& platform, QObject* parent = nullptr);
    ~NiveloNativeApp() override;

    // The launch: the delegate's launch work, then start-up with the main window when
    // "nivelo.openMainWindowOnLaunch" (absent: on) asks for it, else without.
    void launch();
    // The open-main-window action: opens the main window when there is none, which wires
    // the services again.
    void openMainWindow();
    std::function<void()> openMainWindowAction();
    // A later launch of the app: shows the main window, opening it when there is none.
    void reopen();
    // Quit: marks termination before asking Qt to quit, so no close handler refuses.
    void terminate();
    // The process is ending: lets the delegate tidy up and writes the settings out.
    void finishTermination();

    void runStartup();
    // The start-up steps of the services this app owns, in their order.
    StartupSequence startupSequence();
    // Sees every start-up step before it runs.
    void setStartupObserver(StartupSequence::Observer observer);
    int startupRuns() const { return startupRuns_; }

    NiveloAppDelegate& appDelegate() { return *appDelegate_; }
    QuickPanelController& quickPanel();
    MainWindow* mainWindow() const;
    bool isTerminating() const { return terminating_; }

Q_SIGNALS:
    void terminated();

private:
    void showQuickMenu();
    void afterMainWindowClosed();

    Platform& platform_;
    std::unique_ptr<NiveloAppDelegate> appDelegate_;
    std::unique_ptr<QuickPanelController> quickPanel_;
    QPointer<MainWindow> mainWindow_;
    StartupSequence::Observer startupObserver_;
    int startupRuns_ = 0;
    bool terminating_ = false;
};
