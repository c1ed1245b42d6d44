#include <QAction>
#include <QImage>
#include <QMenu>
#include <QMenuBar>

#include "ShellFixture.h"
#include "app/MainWindow.h"
#include "app/NiveloAppDelegate.h"
#include "app/NiveloNativeApp.h"

namespace {

class NativeAppTest : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        app_ = std::make_unique<NiveloNativeApp>(platform_);
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
}

TEST_F(NativeAppTest, LaunchWiresTheServicesWithoutAWindowWhenTheSettingIsOff) {
    defaults_->setBool("nivelo.openMainWindowOnLaunch", false);
    launch();
    EXPECT_EQ(app_->mainWindow(), nullptr);
    EXPECT_EQ(app_->startupRuns(), 1);
}

TEST_F(NativeAppTest, ReopenOpensTheWindowAndWiresAgainWhenThereIsNone) {
    defaults_->setBool("nivelo.openMainWindowOnLaunch", false);
    launch();
    app_->reopen();
    // Its close handler from the start, whether or not the window manager activates it.
    ASSERT_NE(app_->mainWindow(), nullptr);
    EXPECT_TRUE(app_->appDelegate().isDelegateOf(app_->mainWindow()));
    VirtualClock::flushEvents();
    EXPECT_TRUE(app_->mainWindow()->isVisible());
    EXPECT_EQ(app_->startupRuns(), 2);
    EXPECT_FALSE(activation_->requests.isEmpty());
    EXPECT_EQ(activation_->requests.last(), app_->mainWindow()->winId());

    // An existing window is shown again as it is, without wiring anything again.
    app_->mainWindow()->close();
    ASSERT_FALSE(app_->mainWindow()->isVisible());
    app_->reopen();
    VirtualClock::flushEvents();
    EXPECT_TRUE(app_->mainWindow()->isVisible());
    EXPECT_EQ(app_->startupRuns(), 2);
}

TEST_F(NativeAppTest, ClosingTheWindowKeepsTheAppRunningInTheMenuBar) {
    launch();
    QPointer<MainWindow> window = app_->mainWindow();
    EXPECT_FALSE(window->close());
    clock_->advance(1000);
    EXPECT_TRUE(window);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(app_->isTerminating());
    EXPECT_EQ(policy(), ActivationPolicy::Accessory);
}

TEST_F(NativeAppTest, ClosingTheLastWindowOutsideTheMenuBarQuitsAndWritesSettings) {
    defaults_->setBool("nivelo.menuBarIconVisible", false);
    launch();
    EmissionCounter terminated(app_.get(), &NiveloNativeApp::terminated);
    const int syncsBefore = defaults_->syncs;
    EXPECT_TRUE(app_->mainWindow()->close());
    VirtualClock::flushEvents();
    EXPECT_EQ(terminated.count(), 1);
    EXPECT_TRUE(app_->isTerminating());
    EXPECT_TRUE(app_->appDelegate().isTerminating());
    EXPECT_GT(defaults_->syncs, syncsBefore);
}

// Quit must get through even though the close handler would hide the window.
TEST_F(NativeAppTest, TerminateMarksTerminationBeforeAnyWindowIsAsked) {
    launch();
    EmissionCounter terminated(app_.get(), &NiveloNativeApp::terminated);
    app_->terminate();
    EXPECT_TRUE(app_->appDelegate().isTerminating());
    EXPECT_TRUE(app_->mainWindow()->close());
    app_->terminate();
    EXPECT_EQ(terminated.count(), 1);
    app_->finishTermination();
    EXPECT_FALSE(app_->appDelegate().isObservingWindows());
}

TEST_F(NativeAppTest, MainWindowHasOneCommandMenuAndNoNewCommand) {
    launch();
    MainWindow* window = app_->mainWindow();
    const QList<QAction*> menus = window->menuBar()->actions();
    ASSERT_EQ(menus.size(), 1);
    EXPECT_EQ(menus.first()->text(), "NiveloAI");
    const QList<QAction*> items = menus.first()->menu()->actions();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items.first()->text(), "Show Quick Menu");
    // Command is Super here.
    EXPECT_EQ(items.first()->shortcut(), QKeySequence("Meta+Shift+Space"));
    for (QAction* action : window->findChildren<QAction*>()) {
        EXPECT_FALSE(action->text().contains("New")) << action->text().toStdString();
    }
}

TEST_F(NativeAppTest, MainWindowCannotShrinkBelowItsMinimumAndPaintsOpaque) {
    launch();
    MainWindow* window = app_->mainWindow();
    window->resize(200, 100);
    EXPECT_GE(window->width(), 760);
    EXPECT_GE(window->height(), 500);
    const QImage image = window->grab().toImage();
    const QPoint middle(image.width() / 2, image.height() / 2);
    EXPECT_EQ(qAlpha(image.pixel(middle)), 255);
}
