#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

#include "ShellFixture.h"
#include "app/NiveloNativeApp.h"
#include "clipboard/ClipboardNotesService.h"
#include "clipboardwindow/ClipboardPanelController.h"
#include "panels/MenuBarController.h"
#include "panels/PanelStateFixture.h"
#include "panels/QuickPanelController.h"

namespace {

// The simulated services of the panel tests, taken whole.
struct Desk : PanelStateTest {
    void TestBody() override {}
    using PanelStateTest::appearance;
    using PanelStateTest::capture;
    using PanelStateTest::core;
    using PanelStateTest::desktop;
    using PanelStateTest::inputs;
    using PanelStateTest::store;
};

// The app with a state and the clipboard window: start-up attaches the window after the
// history, and the quick panel's row and the tray item reach it.
class ClipboardWindowStartupTest : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        defaults_->setBool("nivelo.openMainWindowOnLaunch", false);
        app = std::make_unique<NiveloNativeApp>(platform_, [this] {
            NiveloNativeApp::Services services;
            services.appState = std::make_unique<NiveloAppState>(
                NiveloAppState::Dependencies{d.desktop.clock, d.store, d.core, d.capture.pasteboard,
                                             d.inputs, d.capture.history, d.appearance});
            services.clipboardHistory = &d.capture.history;
            services.clipboardPanel =
                std::make_unique<ClipboardPanelController>(ClipboardPanelController::Dependencies{
                    d.desktop.clock, d.capture.focus, d.desktop.workspace, d.capture.pasteboard,
                    d.desktop.pasteboard, d.capture.history, notes});
            return services;
        });
        app->setStartupObserver([this](StartupStep step) { steps.push_back(step); });
    }
    void TearDown() override {
        app.reset();
        ShellFixture::TearDown();
    }

    Desk d;
    QTemporaryDir home;
    MemoryDefaults notesDefaults;
    ClipboardNotesService notes{notesDefaults, d.desktop.clock, home.path()};
    std::unique_ptr<NiveloNativeApp> app;
    std::vector<StartupStep> steps;
};

TEST_F(ClipboardWindowStartupTest, AttachesAfterTheHistoryAndOpensFromTheQuickPanelAndTheTray) {
    app->launch();
    const auto history = std::find(steps.begin(), steps.end(), StartupStep::ClipboardHistory);
    ASSERT_NE(history, steps.end());
    EXPECT_EQ(*(history + 1), StartupStep::ClipboardPanel);
    ClipboardPanelController* window = app->clipboardPanel();
    EXPECT_EQ(app->quickPanel().clipboardPanel(), window);

    app->appState()->editSettings([](NiveloSettings& s) { s.uiLanguage = UiLanguage::ru; });
    VirtualClock::flushEvents();
    EXPECT_EQ(window->uiLanguage(), UiLanguage::ru);

    ASSERT_NE(app->menuBar().menu(), nullptr);
    QAction* item = nullptr;
    for (QAction* action : app->menuBar().menu()->actions()) {
        item = action->text() == "Clipboard History" ? action : item;
    }
    ASSERT_NE(item, nullptr);
    item->trigger();
    EXPECT_TRUE(window->isPanelVisible());
    item->trigger();
    EXPECT_FALSE(window->isPanelVisible());
}

}  // namespace
