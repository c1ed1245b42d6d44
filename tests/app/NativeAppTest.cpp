#include <QAction>
#include <QImage>
#include <QMenu>
#include <QMenuBar>

#include "ShellFixture.h"
#include "app/MainWindow.h"
#include "app/NiveloAppDelegate.h"
#include "app/NiveloNativeApp.h"

namespace {

// The app on a platform that cannot carry the desktop services: only the shell runs.
class NativeAppTest : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        app_ = std::make_unique<NiveloNativeApp>(platform_);
        app_->appDelegate().setTrayAvailable([] { return true; });
    }
    void TearDown() override {
        app_.reset();
        ShellFixture::TearDown();
    }

    void launch() {
        app_->launch();
        VirtualClock::flushEvents();
    }

    std::unique_ptr<NiveloNativeApp> app_;
};

}  // namespace

TEST_F(NativeAppTest, LaunchShowsTheMainWindowWhenTheSettingIsOnOrAbsent) {
    launch();
    ASSERT_NE(app_->mainWindow(), nullptr);
    EXPECT_TRUE(app_->mainWindow()->isVisible());
    EXPECT_EQ(app_->mainWindow()->windowTitle(), "NiveloAI");
    EXPECT_EQ(app_->startupRuns(), 1);
    EXPECT_EQ(app_->appState(), nullptr);
    EXPECT_TRUE(app_->startupSequence().steps().empty());
}

// Reopen opens and wires a missing window; a window closed into the menu bar is shown again
// as it is, without wiring anything again.
TEST_F(NativeAppTest, ReopenOpensTheWindowWhenTheSettingKeptItClosedAndShowsItAfterAClose) {
    defaults_->setBool("nivelo.openMainWindowOnLaunch", false);
    launch();
    EXPECT_EQ(app_->mainWindow(), nullptr);
    EXPECT_EQ(app_->startupRuns(), 1);
    app_->reopen();
    // Its close handler from the start, whether or not the window manager activates it.
    QPointer<MainWindow> window = app_->mainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(app_->appDelegate().isDelegateOf(window));
    VirtualClock::flushEvents();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(app_->startupRuns(), 2);
    EXPECT_EQ(activation_->requests.value(activation_->requests.size() - 1), window->winId());

    EXPECT_FALSE(window->close());
    clock_->advance(1000);
    ASSERT_TRUE(window);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(app_->isTerminating());
    EXPECT_EQ(policy(), ActivationPolicy::Accessory);
    app_->reopen();
    VirtualClock::flushEvents();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(app_->startupRuns(), 2);
}

// With either key off the close goes ahead, the policy is left alone, and the process quits.
TEST_F(NativeAppTest, ClosingTheLastWindowOutsideTheMenuBarQuitsAndWritesSettings) {
    for (const char* key : {"nivelo.closeToMenuBar", "nivelo.menuBarIconVisible"}) {
        SCOPED_TRACE(key);
        app_.reset();
        defaults_->remove("nivelo.closeToMenuBar");
        defaults_->remove("nivelo.menuBarIconVisible");
        defaults_->setBool(key, false);
        app_ = std::make_unique<NiveloNativeApp>(platform_);
        launch();
        EmissionCounter terminated(app_.get(), &NiveloNativeApp::terminated);
        EmissionCounter changes(&DockPresence::shared(), &DockPresence::policyChanged);
        const int syncsBefore = defaults_->syncs;
        EXPECT_TRUE(app_->mainWindow()->close());
        VirtualClock::flushEvents();
        clock_->advance(1000);
        EXPECT_EQ(changes.count(), 0);
        EXPECT_EQ(terminated.count(), 1);
        EXPECT_TRUE(app_->isTerminating());
        EXPECT_TRUE(app_->appDelegate().isTerminating());
        EXPECT_GT(defaults_->syncs, syncsBefore);
    }
}

// Quit must get through even though the close handler would hide the window.
TEST_F(NativeAppTest, TerminateMarksTerminationBeforeAnyWindowIsAskedThenStopsObserving) {
    launch();
    EmissionCounter terminated(app_.get(), &NiveloNativeApp::terminated);
    app_->terminate();
    EXPECT_TRUE(app_->appDelegate().isTerminating());
    EXPECT_TRUE(app_->appDelegate().applicationShouldTerminate());
    EXPECT_TRUE(app_->mainWindow()->close());
    app_->terminate();
    EXPECT_EQ(terminated.count(), 1);
    app_->finishTermination();
    EXPECT_FALSE(app_->appDelegate().isObservingWindows());
    EXPECT_FALSE(app_->appDelegate().hasDockPolicyTimer());
    clock_->advance(1000);  // the rule's retries after the close above
    EmissionCounter changes(&DockPresence::shared(), &DockPresence::policyChanged);
    auto* window = new QWidget();
    window->show();
    EXPECT_TRUE(window->close());
    clock_->advance(5000);
    EXPECT_EQ(changes.count(), 0);
}

// Command is Super here; the quick menu command works without the services.
TEST_F(NativeAppTest, MainWindowIsAnOpaqueShellWithOneCommandMenuAndNoNewCommand) {
    launch();
    MainWindow* window = app_->mainWindow();
    const QList<QAction*> menus = window->menuBar()->actions();
    ASSERT_EQ(menus.size(), 1);
    EXPECT_EQ(menus.first()->text(), "NiveloAI");
    const QList<QAction*> items = menus.first()->menu()->actions();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items.first()->text(), "Show Quick Menu");
    EXPECT_EQ(items.first()->shortcut(), QKeySequence("Meta+Shift+Space"));
    for (QAction* action : window->findChildren<QAction*>()) {
        EXPECT_FALSE(action->text().contains("New")) << action->text().toStdString();
    }
    window->showQuickMenuAction()->trigger();

    window->resize(200, 100);
    EXPECT_GE(window->width(), 760);
    EXPECT_GE(window->height(), 500);
    const QImage image = window->grab().toImage();
    EXPECT_EQ(qAlpha(image.pixel(image.width() / 2, image.height() / 2)), 255);
}
