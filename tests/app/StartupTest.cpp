#include <QUuid>
#include <QVariant>
#include <algorithm>
#include <vector>

#include "ShellFixture.h"
#include "app/MainWindow.h"
#include "app/NiveloNativeApp.h"
#include "app/StartupSequence.h"
#include "backend/BackendClient.h"
#include "backend/NativeActionService.h"
#include "capture/AppLayoutSwitchService.h"
#include "capture/HotkeyService.h"
#include "capture/PermissionService.h"
#include "capture/SelectionTriggerService.h"
#include "core/NativeSettingsStore.h"
#include "platform/LanguageRecognizer.h"
#include "platform/QtHttpTransport.h"
#include "state/NiveloAppState.h"
#include "state/NiveloCore.h"
#include "support/CaptureServices.h"
#include "support/SimulatedDesktop.h"
#include "support/SimulatedEventMonitors.h"
#include "support/SimulatedHotKeyRegistry.h"
#include "support/SimulatedInputSources.h"
#include "support/SimulatedPermissionProbe.h"
#include "support/SimulatedProcessRunner.h"
#include "support/SimulatedSystemAppearance.h"

namespace {

class EnglishRecognizer : public LanguageRecognizer {
public:
    QString dominantLanguage(const QString&) const override { return QStringLiteral("en"); }
};

// The world as each step finds it before it runs.
struct Snapshot {
    int hotkeyRegistrations;
    int globalMonitors;
    int layoutSelects;
    std::size_t pendingTimers;
};

// The real app with real services on a simulated desktop: an editor in front whose rule asks
// for the Russian layout, and a quick-menu hot key.
class StartupWiringTest : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        inputs.addLayout(SimulatedInputSources::usLayout());
        inputs.addLayout(SimulatedInputSources::russianLayout());
        inputs.setCurrentId(QStringLiteral("xkb.layout.us"));
        // The layout cannot be read back, so every rule application selects.
        inputs.currentUnknown = true;
        desktop.bringToFront(editor.pid);

        store = std::make_unique<NativeSettingsStore>(*defaults_);
        NiveloSettings settings = store->load();
        settings.quickMenuHotkey = QStringLiteral("Command+Shift+Space");
        settings.appLayoutSwitchingEnabled = true;
        AppLayoutRule rule;
        rule.id = QUuid::createUuid();
        rule.bundleIdentifier = editor.bundleIdentifier;
        rule.appName = editor.name;
        rule.layoutName = QStringLiteral("Russian");
        settings.appLayoutRules = {rule};
        store->save(settings);

        app = std::make_unique<NiveloNativeApp>(platform_, [this] { return makeServices(); });
    }

    void TearDown() override {
        app.reset();
        ShellFixture::TearDown();
    }

    NiveloNativeApp::Services makeServices() {
        ++servicesMade;
        NiveloNativeApp::Services services;
        services.appState = std::make_unique<NiveloAppState>(
            NiveloAppState::Dependencies{desktop.clock, *store, core, captureServices.pasteboard,
                                         inputs, captureServices.history, appearance});
        services.hotkeys = std::make_unique<HotkeyService>(
            HotkeyService::Dependencies{registry, captureServices.capture});
        services.selectionTrigger =
            std::make_unique<SelectionTriggerService>(SelectionTriggerService::Dependencies{
                desktop.clock, monitors, desktop.workspace, captureServices.capture});
        services.appLayoutSwitchService =
            std::make_unique<AppLayoutSwitchService>(desktop.workspace, inputs);
        QObject::connect(services.appState.get(), &NiveloAppState::statusChanged,
                         [this](const ActionStatus& status) {
                             if (status.kind() == ActionStatus::Kind::running &&
                                 status.message() == QLatin1String("Requesting permissions")) {
                                 ++permissionRequests;
                             }
                         });
        return services;
    }

    Snapshot snapshot() const {
        return {registry.registerCalls(), monitors.globalCount(), inputs.selectCalls,
                desktop.clock.pendingCount()};
    }

    SimulatedDesktop desktop;
    SimulatedApp& editor = desktop.launch(QStringLiteral("org.example.editor"), "Editor");
    SimulatedApp& other = desktop.launch(QStringLiteral("org.example.other"), "Other");
    std::unique_ptr<NativeSettingsStore> store;
    CaptureServices captureServices{desktop};
    SimulatedInputSources inputs;
    SimulatedSystemAppearance appearance;
    SimulatedPermissionProbe probe;
    SimulatedProcessRunner processes{desktop.clock};
    PermissionService permissions{probe, desktop.workspace, processes};
    VirtualClock networkClock;
    QtHttpTransport transport{networkClock};
    EnglishRecognizer recognizer;
    NiveloCore core{std::make_unique<NativeActionService>(std::make_unique<BackendClient>(
                        QStringLiteral("http://127.0.0.1:9"), QString(), transport, recognizer,
                        QStringLiteral("TEST-DEVICE"))),
                    permissions};
    SimulatedHotKeyRegistry registry;
    SimulatedEventMonitors monitors;
    std::unique_ptr<NiveloNativeApp> app;
    int servicesMade = 0;
    int permissionRequests = 0;
};

}  // namespace

TEST(StartupSequence, RunsEachStepsLastActionInTheirOrderHoweverTheyWereAdded) {
    std::vector<int> ran;
    StartupSequence sequence;
    sequence.set(StartupStep::LaunchPermissionRequest, [&] { ran.push_back(14); });
    sequence.set(StartupStep::Hotkeys, [&] { ran.push_back(0); });
    sequence.set(StartupStep::Hotkeys, [&] { ran.push_back(3); });
    sequence.set(StartupStep::LayoutSwitch, [&] { ran.push_back(12); });
    sequence.set(StartupStep::SystemSurfaceObserver, [&] { ran.push_back(1); });
    sequence.set(StartupStep::RefreshPermissions, [&] { ran.push_back(13); });
    sequence.set(StartupStep::SelectionTrigger, [&] { ran.push_back(5); });

    std::vector<StartupStep> seen;
    sequence.run([&](StartupStep step) { seen.push_back(step); });
    EXPECT_EQ(ran, (std::vector<int>{1, 3, 5, 12, 13, 14}));
    EXPECT_EQ(seen, sequence.steps());
    EXPECT_FALSE(sequence.has(StartupStep::MenuBar));
}

// The flag is taken once and removed; a false or absent one is left as it is. A flag written
// by hand into the settings file is text.
TEST(LaunchPermissionRequest, IsAnsweredOnceOnlyForATrueFlagWhichIsRemoved) {
    const QString key = QStringLiteral("nivelo.requestPermissionsOnLaunch");
    struct Case {
        QVariant stored;
        bool requested;
    };
    for (const Case& c : {Case{true, true}, Case{QStringLiteral("true"), true}, Case{false, false},
                          Case{QVariant(), false}}) {
        SCOPED_TRACE(c.stored.toString().toStdString());
        MemoryDefaults defaults;
        if (c.stored.typeId() == QMetaType::Bool) {
            defaults.setBool(key, c.stored.toBool());
        } else if (c.stored.isValid()) {
            defaults.setString(key, c.stored.toString());
        }
        EXPECT_EQ(takeLaunchPermissionRequest(defaults), c.requested);
        EXPECT_EQ(defaults.hasObject(key), c.stored.isValid() && !c.requested);
        EXPECT_FALSE(takeLaunchPermissionRequest(defaults));
    }
}

// A flag stored as false requests nothing and stays.
TEST_F(StartupWiringTest, StepsRunInTheirOrderEachFindingTheOnesBeforeItDone) {
    std::vector<StartupStep> steps;
    std::vector<Snapshot> seen;
    app->setStartupObserver([&](StartupStep step) {
        steps.push_back(step);
        seen.push_back(snapshot());
    });
    defaults_->setBool("nivelo.openMainWindowOnLaunch", false);
    defaults_->setBool("nivelo.requestPermissionsOnLaunch", false);
    app->launch();

    ASSERT_EQ(steps, (std::vector<StartupStep>{
                         StartupStep::SystemSurfaceObserver, StartupStep::Hotkeys,
                         StartupStep::FloatingButton, StartupStep::SelectionTrigger,
                         StartupStep::MenuBar, StartupStep::LayoutSwitch,
                         StartupStep::RefreshPermissions, StartupStep::LaunchPermissionRequest}));
    // Nothing ran before the surface observer; it starts polling the desktop.
    EXPECT_EQ(seen[0].pendingTimers, 0u);
    EXPECT_GT(seen[1].pendingTimers, 0u);
    EXPECT_EQ(seen[1].hotkeyRegistrations, 0);
    // The hot keys are in before the selection trigger installs its monitors...
    EXPECT_GT(seen[3].hotkeyRegistrations, 0);
    EXPECT_EQ(seen[3].globalMonitors, 0);
    // ...which are in before the layout rules first apply.
    EXPECT_GT(seen[5].globalMonitors, 0);
    EXPECT_EQ(seen[5].layoutSelects, 0);
    EXPECT_EQ(seen[6].layoutSelects, 1);
    EXPECT_EQ(servicesMade, 1);

    ASSERT_TRUE(app->hotkeys()->isStarted());
    const auto actions = app->hotkeys()->registeredActions();
    EXPECT_TRUE(std::any_of(actions.begin(), actions.end(), [](const auto& action) {
        return action.kind == HotkeyService::Action::Kind::quickMenu;
    }));
    VirtualClock::flushEvents();
    EXPECT_EQ(permissionRequests, 0);
    EXPECT_TRUE(defaults_->hasObject("nivelo.requestPermissionsOnLaunch"));
}

// The window can be opened afresh later; start-up then runs again and must register and ask
// nothing twice.
TEST_F(StartupWiringTest, ASecondRunRepeatsNoRegistrationAndNoPermissionRequest) {
    defaults_->setBool("nivelo.requestPermissionsOnLaunch", true);
    defaults_->setBool("nivelo.openMainWindowOnLaunch", false);
    app->launch();
    VirtualClock::flushEvents();
    EXPECT_EQ(permissionRequests, 1);
    EXPECT_FALSE(defaults_->hasObject("nivelo.requestPermissionsOnLaunch"));
    const int registrations = registry.registerCalls();
    const int globalMonitors = monitors.globalCount();
    const int localMonitors = monitors.localCount();
    const int checksAfterFirst = probe.checks;

    app->reopen();  // no main window yet: it is opened, and its content wires again
    VirtualClock::flushEvents();
    ASSERT_NE(app->mainWindow(), nullptr);
    EXPECT_EQ(app->startupRuns(), 2);
    EXPECT_EQ(servicesMade, 1);
    EXPECT_EQ(permissionRequests, 1);
    EXPECT_EQ(registry.registerCalls(), registrations);
    EXPECT_TRUE(registry.hasHandler());
    EXPECT_EQ(monitors.globalCount(), globalMonitors);
    EXPECT_EQ(monitors.localCount(), localMonitors);
    // The permission state is read again.
    EXPECT_GT(probe.checks, checksAfterFirst);

    // One activation still applies its rule once, not once per run.
    desktop.bringToFront(other.pid);
    VirtualClock::flushEvents();
    const int selects = inputs.selectCalls;
    desktop.bringToFront(editor.pid);
    VirtualClock::flushEvents();
    EXPECT_EQ(inputs.selectCalls, selects + 1);
}
