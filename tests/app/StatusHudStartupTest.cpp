#include "ShellFixture.h"
#include "app/NiveloNativeApp.h"
#include "app/StartupSequence.h"
#include "app/WindowKinds.h"
#include "backend/BackendClient.h"
#include "backend/NativeActionService.h"
#include "capture/PermissionService.h"
#include "core/NativeSettingsStore.h"
#include "panels/StatusHUDController.h"
#include "platform/LanguageRecognizer.h"
#include "platform/QtHttpTransport.h"
#include "state/NiveloAppState.h"
#include "state/NiveloCore.h"
#include "support/CaptureServices.h"
#include "support/SimulatedInputSources.h"
#include "support/SimulatedPermissionProbe.h"
#include "support/SimulatedProcessRunner.h"
#include "support/SimulatedScreens.h"
#include "support/SimulatedSystemAppearance.h"

namespace {

struct SilentRecognizer : LanguageRecognizer {
    QString dominantLanguage(const QString&) const override { return {}; }
};

// The app with only its state among the services, on a platform with screens.
class HudStartupTest : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        auto screens = std::make_unique<SimulatedScreens>();
        screens->list = {{QRect(0, 0, 1200, 800), QRect(0, 0, 1200, 760)}};
        platform_.screens = std::move(screens);
        platform_.systemAppearance = std::make_unique<SimulatedSystemAppearance>();
        store = std::make_unique<NativeSettingsStore>(*defaults_);
        app = std::make_unique<NiveloNativeApp>(platform_, [this] {
            NiveloNativeApp::Services services;
            services.appState = std::make_unique<NiveloAppState>(
                NiveloAppState::Dependencies{desktop.clock, *store, core, capture.pasteboard,
                                             inputs, capture.history, appearance});
            return services;
        });
    }

    void TearDown() override {
        app.reset();
        ShellFixture::TearDown();
    }

    SimulatedDesktop desktop;
    std::unique_ptr<NativeSettingsStore> store;
    CaptureServices capture{desktop};
    SimulatedInputSources inputs;
    SimulatedSystemAppearance appearance;
    SimulatedPermissionProbe probe;
    SimulatedProcessRunner processes{desktop.clock};
    PermissionService permissions{probe, desktop.workspace, processes};
    QtHttpTransport transport{desktop.clock};
    SilentRecognizer recognizer;
    NiveloCore core{std::make_unique<NativeActionService>(std::make_unique<BackendClient>(
                        QStringLiteral("http://127.0.0.1:9"), QString(), transport, recognizer,
                        QStringLiteral("TEST-DEVICE"))),
                    permissions};
    std::unique_ptr<NiveloNativeApp> app;
};

}  // namespace

TEST_F(HudStartupTest, TheOneHudIsAttachedSecondAndFollowsTheStatus) {
    std::vector<StartupStep> steps;
    app->setStartupObserver([&](StartupStep step) { steps.push_back(step); });
    defaults_->setBool("nivelo.openMainWindowOnLaunch", false);
    app->launch();
    ASSERT_GE(steps.size(), 2u);
    EXPECT_EQ(steps[0], StartupStep::SystemSurfaceObserver);
    EXPECT_EQ(steps[1], StartupStep::StatusHud);

    StatusHUDController* hud = app->statusHUD();
    ASSERT_NE(hud, nullptr);
    app->appState()->setStatus(ActionStatus::running("Fix running"));
    VirtualClock::flushEvents();
    ASSERT_NE(hud->panel(), nullptr);
    EXPECT_TRUE(hud->panel()->isVisible());
    EXPECT_TRUE(WindowKinds::isPanel(hud->panel()));
    EXPECT_TRUE(WindowKinds::mainWindows().isEmpty());

    // A fresh main window wires again: the same HUD, still following the state.
    app->openMainWindow();
    EXPECT_EQ(app->statusHUD(), hud);
    app->appState()->setStatus(ActionStatus::done("Pasted"));
    VirtualClock::flushEvents();
    desktop.clock.advance(900);
    EXPECT_FALSE(hud->panel()->isVisible());
}
