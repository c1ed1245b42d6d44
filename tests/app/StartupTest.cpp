#include "ShellFixture.h"
#include "app/NiveloNativeApp.h"
#include "app/StartupSequence.h"
#include "assistant/AssistantPanelController.h"
#include "backend/NativeActionService.h"
#include "capture/AppLayoutSwitchService.h"
#include "capture/HotkeyService.h"
#include "capture/PermissionService.h"
#include "capture/SelectionTriggerService.h"
#include "core/NativeSettingsStore.h"
#include "panels/QuickPanelController.h"
#include "state/NiveloAppState.h"
#include "state/NiveloCore.h"
#include "support/CaptureServices.h"
#include "support/SimulatedEventMonitors.h"
#include "support/SimulatedHotKeyRegistry.h"
#include "support/SimulatedInputSources.h"
#include "support/SimulatedPermissionProbe.h"
#include "support/SimulatedProcessRunner.h"
#include "support/SimulatedSystemAppearance.h"

namespace {

// The real services on a simulated desktop.
struct StartupWiringTest : ShellFixture {
    SimulatedDesktop desktop;
    CaptureServices captureServices{desktop};
    SimulatedInputSources inputs;
    SimulatedSystemAppearance appearance;
    SimulatedPermissionProbe probe;
    SimulatedProcessRunner processes{desktop.clock};
    PermissionService permissions{probe, desktop.workspace, processes};
    NiveloCore core{nullptr, permissions};  // start-up runs no action
    SimulatedHotKeyRegistry registry;
    SimulatedEventMonitors monitors;
};

}  // namespace

TEST(StartupSequence, RunsEachStepsLastActionInTheirOrderHoweverTheyWereAdded) {
    std::vector<int> ran;
    StartupSequence sequence;
    sequence.set(StartupStep::LaunchPermissionRequest, [&] { ran.push_back(14); });
    sequence.set(StartupStep::Hotkeys, [&] { ran.push_back(0); });
    sequence.set(StartupStep::Hotkeys, [&] { ran.push_back(3); });
    sequence.set(StartupStep::SystemSurfaceObserver, [&] { ran.push_back(1); });
    std::vector<StartupStep> seen;
    sequence.run([&](StartupStep step) { seen.push_back(step); });
    EXPECT_EQ(ran, (std::vector<int>{1, 3, 14}));
    EXPECT_EQ(seen, sequence.steps());
}

// Taken once and removed; a false or absent one is left as it is; a hand-written one is text.
TEST(LaunchPermissionRequest, IsAnsweredOnceOnlyForATrueFlagWhichIsRemoved) {
    const QString key = QStringLiteral("nivelo.requestPermissionsOnLaunch");
    for (const char* stored : {"true", "false", ""}) {
        MemoryDefaults defaults;
        if (*stored) {
            defaults.setString(key, stored);
        }
        const bool requested = QByteArray(stored) == "true";
        EXPECT_EQ(takeLaunchPermissionRequest(defaults), requested) << stored;
        EXPECT_EQ(defaults.hasObject(key), *stored && !requested);
        EXPECT_FALSE(takeLaunchPermissionRequest(defaults));
    }
}

// An editor in front whose rule asks for the Russian layout (which cannot be read back, so
// every application of the rule selects), and a quick-menu hot key. Each step finds the ones
// before it done. The window can be opened afresh later; start-up then runs again and must
// register and ask nothing twice.
TEST_F(StartupWiringTest, StepsRunInTheirOrderOnceForAllRuns) {
    inputs.addLayout(SimulatedInputSources::russianLayout());
    inputs.currentUnknown = true;
    SimulatedApp& editor = desktop.launch(QStringLiteral("org.example.editor"));
    SimulatedApp& other = desktop.launch(QStringLiteral("org.example.other"));
    desktop.bringToFront(editor.pid);
    NativeSettingsStore store(*defaults_);
    NiveloSettings settings = store.load();
    settings.quickMenuHotkey = QStringLiteral("Command+Shift+Space");
    settings.appLayoutSwitchingEnabled = true;
    settings.appLayoutRules = {{.id = QUuid::createUuid(),
                                .bundleIdentifier = editor.bundleIdentifier,
                                .layoutName = "Russian"}};
    store.save(settings);
    defaults_->setBool("nivelo.openMainWindowOnLaunch", false);
    defaults_->setBool("nivelo.requestPermissionsOnLaunch", true);
    int servicesMade = 0, permissionRequests = 0;
    NiveloNativeApp app(platform_, [&] {
        ++servicesMade;
        NiveloNativeApp::Services services;
        services.appState = std::make_unique<NiveloAppState>(
            NiveloAppState::Dependencies{desktop.clock, store, core, captureServices.pasteboard,
                                         inputs, captureServices.history, appearance});
        services.hotkeys = std::make_unique<HotkeyService>(
            HotkeyService::Dependencies{registry, captureServices.capture});
        services.selectionTrigger =
            std::make_unique<SelectionTriggerService>(SelectionTriggerService::Dependencies{
                desktop.clock, monitors, desktop.workspace, captureServices.capture});
        services.appLayoutSwitchService =
            std::make_unique<AppLayoutSwitchService>(desktop.workspace, inputs);
        services.assistantPanel = std::make_unique<AssistantPanelController>(
            AssistantPanelController::Dependencies{desktop.clock, nullptr});
        QObject::connect(services.appState.get(), &NiveloAppState::statusChanged,
                         [&](const ActionStatus& status) {
                             permissionRequests += status.message() == "Requesting permissions";
                         });
        return services;
    });
    // Whether the desktop is polled, hot keys are registered, monitors are installed and a
    // layout was selected, as each step finds it before it runs.
    QStringList seen;
    std::vector<StartupStep> steps;
    app.setStartupObserver([&](StartupStep step) {
        steps.push_back(step);
        seen << QStringLiteral("%1%2%3%4")
                    .arg(desktop.clock.pendingCount() > 0)
                    .arg(registry.registerCalls() > 0)
                    .arg(monitors.globalCount() > 0)
                    .arg(inputs.selectCalls);
    });
    app.launch();
    VirtualClock::flushEvents();
    using S = StartupStep;
    ASSERT_EQ(steps,
              (std::vector<S>{S::SystemSurfaceObserver, S::Hotkeys, S::FloatingButton,
                              S::SelectionTrigger, S::MenuBar, S::AssistantPanel, S::LayoutSwitch,
                              S::RefreshPermissions, S::LaunchPermissionRequest}));
    EXPECT_EQ(seen, (QStringList{"0000", "1000", "1100", "1100", "1110", "1110", "1110", "1111",
                                 "1111"}));
    EXPECT_EQ(app.quickPanel().assistantPanel(), app.assistantPanel());
    EXPECT_EQ(permissionRequests, 1);
    const int registrations = registry.registerCalls(), monitorCount = monitors.globalCount();
    const int checks = probe.checks;

    app.reopen();
    VirtualClock::flushEvents();
    EXPECT_EQ(app.startupRuns(), 2);
    EXPECT_EQ(servicesMade, 1);
    EXPECT_EQ(permissionRequests, 1);
    EXPECT_EQ(registry.registerCalls(), registrations);
    EXPECT_EQ(monitors.globalCount(), monitorCount);
    EXPECT_GT(probe.checks, checks);  // the permission state is read again
    // One activation still applies its rule once, not once per run.
    desktop.bringToFront(other.pid);
    desktop.bringToFront(editor.pid);
    VirtualClock::flushEvents();
    EXPECT_EQ(inputs.selectCalls, 2);
}
