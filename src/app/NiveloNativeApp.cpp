#include "app/NiveloNativeApp.h"

#include <QApplication>
#include <QWidget>

#include "app/MainWindow.h"
#include "app/NiveloAppDelegate.h"
#include "app/NiveloWindowPresenter.h"
#include "app/QtTranslations.h"
#include "app/QuickMenuCommand.h"
#include "app/WindowKinds.h"
#include "assistant/AssistantPanelController.h"
#include "backend/BackendClient.h"
#include "backend/BackendEndpoint.h"
#include "base/Async.h"
#include "capture/AppLayoutSwitchService.h"
#include "capture/FocusService.h"
#include "capture/HotkeyService.h"
#include "capture/PasteboardService.h"
#include "capture/SelectionCapture.h"
#include "capture/SelectionTriggerService.h"
#include "clipboard/ClipboardHistoryService.h"
#include "clipboard/ClipboardNotesService.h"
#include "clipboardwindow/ClipboardPanelController.h"
#include "panels/FloatingButtonController.h"
#include "panels/MenuBarController.h"
#include "panels/QuickPanelController.h"
#include "panels/StatusHUDController.h"
#include "panels/TranslationPreviewPanelController.h"
#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "platform/Platform.h"
#include "platform/SaveReport.h"
#include "platform/Screens.h"
#include "platform/SystemAppearance.h"
#include "platform/WindowActivation.h"
#include "platform/WindowManagerHints.h"
#include "settingswindow/MainSettingsView.h"
#include "state/NiveloAppState.h"
#include "updates/AppUpdateClient.h"
#include "updates/AppUpdateManager.h"

namespace {

bool hasVisibleWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && !WindowKinds::isPanel(widget)) {
            return true;
        }
    }
    return false;
}

// The application state reads and writes the selection, follows the frontmost application
// and the keyboard layouts, checks permissions and talks to the backend: without all of
// those on this platform it cannot run, nor can anything wired to it.
bool canRunAppState(const Platform& p) {
    return p.clock && p.defaults && p.http && p.languageRecognizer && p.systemAppearance &&
           p.processRunner && p.permissionProbe && p.pasteboard && p.keyEvents && p.workspace &&
           p.accessibility && p.inputSources && p.clipboardHistoryDefaults;
}

}  // namespace

NiveloNativeApp::Services::Services() = default;
NiveloNativeApp::Services::Services(Services&&) noexcept = default;
NiveloNativeApp::Services& NiveloNativeApp::Services::operator=(Services&&) noexcept = default;
NiveloNativeApp::Services::~Services() {
    // The services hold the state; it goes last.
    clipboardPanel.reset();
    updateManager.reset();
    appLayoutSwitchService.reset();
    selectionTrigger.reset();
    hotkeys.reset();
    assistantPanel.reset();
    appState.reset();
}

NiveloNativeApp::Services NiveloNativeApp::sharedServices(Platform& platform) {
    Services services;
    if (!canRunAppState(platform)) {
        return services;
    }
    services.appState = std::make_unique<NiveloAppState>(NiveloAppState::sharedDependencies());
    services.translationPreview = &TranslationPreviewPanelController::shared();
    services.assistantPanel =
        std::make_unique<AssistantPanelController>(AssistantPanelController::Dependencies{
            *platform.clock,
            std::make_unique<BackendClient>(BackendEndpoint::aiURL(), QString(), *platform.http,
                                            *platform.languageRecognizer,
                                            BackendEndpoint::installationId(*platform.defaults)),
            platform.defaults.get(), platform.screens.get(), platform.pasteboard.get(),
            PanelWindow::Environment::of(platform),
            [] { return FocusService::shared().rememberedProcessIdentifier(); },
            [](QString text, qint64 process) {
                return PasteboardService::shared().pasteAIReply(std::move(text), process);
            }});
    if (platform.hotKeys) {
        services.hotkeys = std::make_unique<HotkeyService>(HotkeyService::Dependencies{
            *platform.hotKeys, SelectionCapture::shared(), services.assistantPanel.get(),
            services.translationPreview});
    }
    if (platform.eventMonitors) {
        services.selectionTrigger = std::make_unique<SelectionTriggerService>(
            SelectionTriggerService::Dependencies{*platform.clock, *platform.eventMonitors,
                                                  *platform.workspace, SelectionCapture::shared()});
    }
    services.appLayoutSwitchService =
        std::make_unique<AppLayoutSwitchService>(*platform.workspace, *platform.inputSources);
    services.clipboardHistory = &ClipboardHistoryService::shared();
    services.clipboardPanel =
        std::make_unique<ClipboardPanelController>(ClipboardPanelController::Dependencies{
            *platform.clock, FocusService::shared(), *platform.workspace,
            PasteboardService::shared(), *platform.pasteboard, ClipboardHistoryService::shared(),
            ClipboardNotesService::shared(), platform.screens.get(), platform.eventMonitors.get(),
            platform.defaults.get(), PanelWindow::Environment::of(platform)});
    services.updateManager = std::make_unique<AppUpdateManager>(
        AppUpdateManager::Dependencies{*platform.clock, *platform.defaults, *platform.workspace},
        std::make_shared<AppUpdateClient>(BackendEndpoint::origin(), *platform.http,
                                          *platform.clock));
    return services;
}

NiveloNativeApp::NiveloNativeApp(Platform& platform, ServiceFactory makeServices, QObject* parent)
    : QObject(parent),
      platform_(platform),
      makeServices_(std::move(makeServices)),
      appDelegate_(std::make_unique<NiveloAppDelegate>(*platform.defaults, *platform.clock)) {
    // Whether the last window closing ends the process is the delegate's call.
    QApplication::setQuitOnLastWindowClosed(false);
    new QuickMenuCommand([this] { showQuickMenu(); }, this);
}

NiveloNativeApp::~NiveloNativeApp() {
    delete mainWindow_.data();
    menuBar_.reset();
    floatingButton_.reset();
    statusHUD_.reset();
    services_.reset();
    quickPanel_.reset();
}

NiveloNativeApp::Services& NiveloNativeApp::services() {
    if (!services_) {
        services_ = makeServices_ ? makeServices_() : sharedServices(platform_);
        if (services_->appState) {
            // Before any window is made, so Qt's own texts start in the interface language.
            new QtTranslations(*services_->appState, this);
        }
    }
    return *services_;
}

QuickPanelController& NiveloNativeApp::quickPanel() {
    if (!quickPanel_) {
        quickPanel_ = std::make_unique<QuickPanelController>(
            appState(),
            QuickPanelController::Dependencies{
                platform_.screens.get(), platform_.eventMonitors.get(), platform_.defaults.get(),
                PanelWindow::Environment::of(platform_),
                [] { FocusService::shared().rememberFrontmostApplication(); },
                [] { return PasteboardService::shared().peekSelectedTextViaAccessibility(); }});
    }
    return *quickPanel_;
}

FloatingButtonController& NiveloNativeApp::floatingButton() {
    if (!floatingButton_) {
        floatingButton_ = std::make_unique<FloatingButtonController>(
            platform_.screens.get(), PanelWindow::Environment::of(platform_));
    }
    return *floatingButton_;
}

MenuBarController& NiveloNativeApp::menuBar() {
    if (!menuBar_) {
        menuBar_ = std::make_unique<MenuBarController>();
    }
    return *menuBar_;
}

StatusHUDController* NiveloNativeApp::statusHUD() {
    if (!statusHUD_ && platform_.screens && platform_.systemAppearance) {
        statusHUD_ = std::make_unique<StatusHUDController>(
            StatusHUDController::Dependencies{*platform_.screens, *platform_.systemAppearance,
                                              PanelWindow::Environment::of(platform_)});
    }
    return statusHUD_.get();
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
    // Without a state (a platform lacking a service) the window keeps its empty content.
    if (NiveloAppState* state = appState()) {
        mainWindow_->setContent(
            new MainSettingsView({.appState = *state,
                                  .quickPanel = &quickPanel(),
                                  .statusHUD = statusHUD(),
                                  .hotkeys = hotkeys(),
                                  .clipboardHistory = services().clipboardHistory,
                                  .keyMap = platform_.keyMap.get(),
                                  .updateManager = updateManager()}));
    }
    appDelegate_->adoptWindow(mainWindow_);
    if (platform_.screens) {
        mainWindow_->fitToScreen(*platform_.screens);
    }
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
    // Every store writes what it holds before anything is called unsaved: a copy still being
    // measured, notes whose file could not be written, then the defaults files.
    if (platform_.saveReport) {
        platform_.saveReport->prepareLastWrites();
    }
    platform_.defaults->sync();
    if (platform_.clipboardHistoryDefaults) {
        platform_.clipboardHistoryDefaults->sync();
    }
    Q_EMIT terminated();
    // Not quit(): that asks every window to close first, and a shown panel refuses (it only
    // hides), which would leave the process running after a Quit or a SIGTERM.
    // What still cannot be written is said once more, and stays in sight for the failed
    // status's time before the app goes.
    if (platform_.saveReport && platform_.saveReport->hasUnsaved()) {
        platform_.saveReport->announceUnsaved();
        platform_.clock->callAfter(NiveloAppState::kFailedResetMs,
                                   [] { QCoreApplication::exit(0); });
        return;
    }
    QCoreApplication::exit(0);
}

void NiveloNativeApp::finishTermination() {
    appDelegate_->applicationWillTerminate();
    platform_.defaults->sync();
}

void NiveloNativeApp::showQuickMenu() {
    if (NiveloAppState* state = appState()) {
        quickPanel().toggle(*state);
    }
}

void NiveloNativeApp::setStartupObserver(StartupSequence::Observer observer) {
    startupObserver_ = std::move(observer);
}

StartupSequence NiveloNativeApp::startupSequence() {
    StartupSequence sequence;
    NiveloAppState* state = appState();
    if (!state) {
        return sequence;
    }
    QuickPanelController* panel = &quickPanel();
    ClipboardPanelController* clipboard = clipboardPanel();
    // The quick panel's "clipboard" row opens the clipboard window.
    panel->setClipboardPanel(clipboard);
    sequence.set(StartupStep::SystemSurfaceObserver,
                 [state] { state->startSystemSurfaceObserver(); });
    if (StatusHUDController* hud = statusHUD()) {
        sequence.set(StartupStep::StatusHud, [hud, state] { hud->attach(state); });
    }
    if (HotkeyService* service = hotkeys()) {
        sequence.set(StartupStep::Hotkeys, [=] { service->start(state, panel, clipboard); });
    }
    FloatingButtonController* button = &floatingButton();
    sequence.set(StartupStep::FloatingButton, [=] { button->setReferences(state, panel); });
    if (SelectionTriggerService* trigger = selectionTrigger()) {
        sequence.set(StartupStep::SelectionTrigger, [=] { trigger->start(state, panel, button); });
    }
    MenuBarController* tray = &menuBar();
    QPointer<NiveloNativeApp> self(this);
    TranslationPreviewPanelController* preview = services().translationPreview;
    MenuBarController::Targets targets{
        panel,
        statusHUD(),
        clipboard,
        preview,
        [self] {
            if (self) {
                NiveloWindowPresenter::showMainWindow(self->openMainWindowAction());
            }
        },
        [self] {
            if (self) {
                self->terminate();
            }
        }};
    sequence.set(StartupStep::MenuBar, [tray, state, targets] { tray->attach(state, targets); });
    if (ClipboardHistoryService* history = services().clipboardHistory) {
        sequence.set(StartupStep::ClipboardHistory, [=] { history->attach(*state); });
    }
    if (clipboard) {
        sequence.set(StartupStep::ClipboardPanel, [=] { clipboard->attach(state); });
    }
    if (AssistantPanelController* assistant = assistantPanel()) {
        sequence.set(StartupStep::AssistantPanel, [=] {
            assistant->attach(state);
            panel->setAssistantPanel(assistant);
        });
    }
    if (preview) {
        sequence.set(StartupStep::TranslationPreview, [=] { preview->attach(state); });
    }
    if (AppUpdateManager* updates = updateManager()) {
        sequence.set(StartupStep::UpdateChecks, [=] { updates->startAutomaticChecks(state); });
    }
    if (AppLayoutSwitchService* layouts = appLayoutSwitchService()) {
        sequence.set(StartupStep::LayoutSwitch, [=] { layouts->start(state); });
    }
    sequence.set(StartupStep::RefreshPermissions, [state] { state->refreshPermissions(); });
    Defaults* defaults = platform_.defaults.get();
    sequence.set(StartupStep::LaunchPermissionRequest, [state, defaults] {
        if (takeLaunchPermissionRequest(*defaults)) {
            state->requestPermissions();
        }
    });
    return sequence;
}

void NiveloNativeApp::runStartup() {
    ++startupRuns_;
    startupSequence().run(startupObserver_);
}

MainWindow* NiveloNativeApp::mainWindow() const {
    return mainWindow_;
}
