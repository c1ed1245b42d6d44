#include <algorithm>
#include <vector>

#include "ShellFixture.h"
#include "app/NiveloNativeApp.h"
#include "backend/BackendClient.h"
#include "backend/NativeActionService.h"
#include "capture/AppLayoutSwitchService.h"
#include "capture/PermissionService.h"
#include "core/NativeSettingsStore.h"
#include "platform/LanguageRecognizer.h"
#include "platform/QtHttpTransport.h"
#include "state/NiveloAppState.h"
#include "state/NiveloCore.h"
#include "support/CaptureServices.h"
#include "support/SimulatedDesktop.h"
#include "support/SimulatedInputSources.h"
#include "support/SimulatedPermissionProbe.h"
#include "support/SimulatedProcessRunner.h"
#include "support/SimulatedSystemAppearance.h"

namespace {

class NoLanguage : public LanguageRecognizer {
public:
    QString dominantLanguage(const QString&) const override { return {}; }
};

// The app with the application state and the clipboard history only, on a simulated desktop.
class HistoryStartupTest : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        defaults_->setBool("nivelo.openMainWindowOnLaunch", false);
        app = std::make_unique<NiveloNativeApp>(platform_, [this] {
            NiveloNativeApp::Services services;
            services.appState = std::make_unique<NiveloAppState>(
                NiveloAppState::Dependencies{desktop.clock, store, core, capture.pasteboard, inputs,
                                             capture.history, appearance});
            services.appLayoutSwitchService =
                std::make_unique<AppLayoutSwitchService>(desktop.workspace, inputs);
            services.clipboardHistory = &capture.history;
            return services;
        });
        app->setStartupObserver([this](StartupStep step) { steps.push_back(step); });
    }

    void TearDown() override {
        app.reset();
        ShellFixture::TearDown();
    }

    void copy(const QString& text) {
        desktop.pasteboard.putText(text);
        desktop.clock.advance(ClipboardHistoryService::kPollIntervalMs);
    }

    SimulatedDesktop desktop;
    CaptureServices capture{desktop};
    MemoryDefaults settingsDefaults;
    NativeSettingsStore store{settingsDefaults};
    SimulatedInputSources inputs;
    SimulatedSystemAppearance appearance;
    SimulatedPermissionProbe probe;
    SimulatedProcessRunner processes{desktop.clock};
    PermissionService permissions{probe, desktop.workspace, processes};
    VirtualClock networkClock;
    QtHttpTransport transport{networkClock};
    NoLanguage recognizer;
    NiveloCore core{std::make_unique<NativeActionService>(std::make_unique<BackendClient>(
                        QStringLiteral("http://127.0.0.1:9"), QString(), transport, recognizer,
                        QStringLiteral("TEST-DEVICE"))),
                    permissions};
    std::unique_ptr<NiveloNativeApp> app;
    std::vector<StartupStep> steps;
};

}  // namespace

// The history joins after the menus and before the layout switching, follows the state's
// settings and polls; a second run wires it again without a second poll.
TEST_F(HistoryStartupTest, AttachesTheHistoryToTheStateAtItsPlaceOnEveryRun) {
    app->launch();
    const auto at = std::find(steps.begin(), steps.end(), StartupStep::ClipboardHistory);
    ASSERT_NE(at, steps.end());
    EXPECT_EQ(std::find(steps.begin(), steps.end(), StartupStep::LayoutSwitch), at + 1);
    EXPECT_TRUE(capture.history.isPolling());
    copy("first copy");
    EXPECT_EQ(capture.history.items().size(), 1);

    app->appState()->editSettings([](NiveloSettings& s) { s.clipboardHistoryEnabled = false; });
    VirtualClock::flushEvents();
    copy("while off");
    EXPECT_EQ(capture.history.items().size(), 1);

    const std::size_t timers = desktop.clock.pendingCount();
    app->reopen();
    VirtualClock::flushEvents();
    EXPECT_EQ(app->startupRuns(), 2);
    app->appState()->editSettings([](NiveloSettings& s) { s.clipboardHistoryEnabled = true; });
    VirtualClock::flushEvents();
    copy("second copy");
    ASSERT_EQ(capture.history.items().size(), 2);
    EXPECT_EQ(capture.history.items().front().text, "second copy");
    EXPECT_EQ(desktop.clock.pendingCount(), timers);
}
