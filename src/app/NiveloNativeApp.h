#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

#include "app/StartupSequence.h"

class AppLayoutSwitchService;
class AssistantPanelController;
class AppUpdateManager;
class ClipboardHistoryService;
class ClipboardPanelController;
class FloatingButtonController;
class HotkeyService;
class MainWindow;
class NiveloAppDelegate;
class MenuBarController;
class NiveloAppState;
class QuickPanelController;
class SelectionTriggerService;
class StatusHUDController;
class TranslationPreviewPanelController;
struct Platform;

// The root of the process: owns every long-lived service, hosts the main window, and wires
// the services together each time the main window's content is created (and once at launch
// when the window is not opened then).
class NiveloNativeApp : public QObject {
    Q_OBJECT
public:
    // The long-lived services that start-up wires. One is missing while the platform lacks
    // what it stands on; its steps are then left out.
    struct Services {
        Services();
        Services(Services&&) noexcept;
        Services& operator=(Services&&) noexcept;
        ~Services();

        std::unique_ptr<NiveloAppState> appState;
        std::unique_ptr<HotkeyService> hotkeys;
        std::unique_ptr<SelectionTriggerService> selectionTrigger;
        std::unique_ptr<AppLayoutSwitchService> appLayoutSwitchService;
        std::unique_ptr<AppUpdateManager> updateManager;
        // Declared before the hot keys, which open it.
        std::unique_ptr<AssistantPanelController> assistantPanel;
        // The process-wide history (not owned).
        ClipboardHistoryService* clipboardHistory = nullptr;
        // The clipboard window over the history and the notes.
        std::unique_ptr<ClipboardPanelController> clipboardPanel;
        // The process-wide translation preview (not owned).
        TranslationPreviewPanelController* translationPreview = nullptr;
    };
    using ServiceFactory = std::function<Services()>;
    // Over the process-wide services and the given platform (the running process's).
    static Services sharedServices(Platform& platform);

    // makeServices runs once, when the services are first needed; without one the shared
    // services are used.
    explicit NiveloNativeApp(Platform& platform, ServiceFactory makeServices = {},
                             QObject* parent = nullptr);
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
    NiveloAppState* appState() { return services().appState.get(); }
    QuickPanelController& quickPanel();
    FloatingButtonController& floatingButton();
    MenuBarController& menuBar();
    // None while the platform has no screens to place it on.
    StatusHUDController* statusHUD();
    HotkeyService* hotkeys() { return services().hotkeys.get(); }
    SelectionTriggerService* selectionTrigger() { return services().selectionTrigger.get(); }
    AppLayoutSwitchService* appLayoutSwitchService() {
        return services().appLayoutSwitchService.get();
    }
    AppUpdateManager* updateManager() { return services().updateManager.get(); }
    ClipboardPanelController* clipboardPanel() { return services().clipboardPanel.get(); }
    AssistantPanelController* assistantPanel() { return services().assistantPanel.get(); }
    MainWindow* mainWindow() const;
    bool isTerminating() const { return terminating_; }

Q_SIGNALS:
    void terminated();

private:
    Services& services();
    void showQuickMenu();
    void afterMainWindowClosed();

    Platform& platform_;
    ServiceFactory makeServices_;
    std::unique_ptr<NiveloAppDelegate> appDelegate_;
    // Declared before the services that hold on to it.
    std::unique_ptr<QuickPanelController> quickPanel_;
    std::unique_ptr<StatusHUDController> statusHUD_;
    std::unique_ptr<FloatingButtonController> floatingButton_;
    std::unique_ptr<MenuBarController> menuBar_;
    std::optional<Services> services_;
    QPointer<MainWindow> mainWindow_;
    StartupSequence::Observer startupObserver_;
    int startupRuns_ = 0;
    bool terminating_ = false;
};
