#include <QCloseEvent>
#include <QWidget>

#include "ShellFixture.h"
#include "app/NiveloAppDelegate.h"

namespace {

class AppDelegateTest : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        delegate_ = std::make_unique<NiveloAppDelegate>(*defaults_, *clock_);
    }
    void TearDown() override {
        delegate_.reset();
        ShellFixture::TearDown();
    }

    // A main window that exists before launch, as the main window does.
    QWidget* shownMainWindow() {
        auto* window = new QWidget();
        window->resize(200, 100);
        window->show();
        return window;
    }

    void launch() {
        delegate_->applicationDidFinishLaunching();
        VirtualClock::flushEvents();
    }

    std::unique_ptr<NiveloAppDelegate> delegate_;
};

}  // namespace

// Keeping the app in the tray needs both keys; an absent key counts as on.
TEST_F(AppDelegateTest, StaysInMenuBarOnlyWhileBothKeysAreOnOrAbsent) {
    EXPECT_TRUE(delegate_->shouldStayInMenuBar());
    defaults_->setBool("nivelo.closeToMenuBar", false);
    EXPECT_FALSE(delegate_->shouldStayInMenuBar());
    defaults_->setBool("nivelo.closeToMenuBar", true);
    EXPECT_TRUE(delegate_->shouldStayInMenuBar());
    defaults_->setBool("nivelo.menuBarIconVisible", false);
    EXPECT_FALSE(delegate_->shouldStayInMenuBar());
    // Read from the defaults every time, as a settings file holds them: as text.
    defaults_->setString("nivelo.menuBarIconVisible", "true");
    EXPECT_TRUE(delegate_->shouldStayInMenuBar());
}

TEST_F(AppDelegateTest, ClosingTheMainWindowHidesItWhileInTheMenuBar) {
    QWidget* window = shownMainWindow();
    QPointer<QWidget> held(window);
    launch();
    ASSERT_TRUE(delegate_->isDelegateOf(window));

    EXPECT_FALSE(window->close());
    EXPECT_TRUE(held);
    EXPECT_FALSE(window->isVisible());
    // At once, not only on the next timer tick.
    EXPECT_EQ(policy(), ActivationPolicy::Accessory);
}

TEST_F(AppDelegateTest, ClosingTheMainWindowClosesItWhenEitherKeyIsOff) {
    for (const char* key : {"nivelo.closeToMenuBar", "nivelo.menuBarIconVisible"}) {
        defaults_->setBool("nivelo.closeToMenuBar", true);
        defaults_->setBool("nivelo.menuBarIconVisible", true);
        defaults_->setBool(key, false);
        QWidget* window = shownMainWindow();
        launch();
        EmissionCounter changes(&DockPresence::shared(), &DockPresence::policyChanged);
        EXPECT_TRUE(window->close()) << key;
        clock_->advance(1000);
        // The rule leaves the policy alone while the user does not keep the app in the tray.
        EXPECT_EQ(changes.count(), 0) << key;
        EXPECT_TRUE(delegate_->applicationShouldTerminateAfterLastWindowClosed()) << key;
        delegate_->applicationWillTerminate();
        delete window;
        delegate_ = std::make_unique<NiveloAppDelegate>(*defaults_, *clock_);
    }
}

TEST_F(AppDelegateTest, TerminatingLetsTheMainWindowClose) {
    QWidget* window = shownMainWindow();
    launch();
    EXPECT_TRUE(delegate_->applicationShouldTerminate());
    EXPECT_TRUE(delegate_->isTerminating());
    EXPECT_TRUE(window->close());
}

TEST_F(AppDelegateTest, LastWindowClosedEndsTheProcessOnlyOutsideTheMenuBar) {
    EXPECT_FALSE(delegate_->applicationShouldTerminateAfterLastWindowClosed());
    defaults_->setBool("nivelo.closeToMenuBar", false);
    EXPECT_TRUE(delegate_->applicationShouldTerminateAfterLastWindowClosed());
}

// After a close the rule runs at once and again 50, 200 and 500 ms later, each time reading
// the keys afresh.
TEST_F(AppDelegateTest, CloseReappliesTheRuleAtItsIntervals) {
    QWidget* window = shownMainWindow();
    launch();
    EmissionCounter changes(&DockPresence::shared(), &DockPresence::policyChanged);
    window->close();
    EXPECT_EQ(changes.count(), 1);
    clock_->advance(49);
    EXPECT_EQ(changes.count(), 1);
    clock_->advance(1);
    EXPECT_EQ(changes.count(), 2);
    clock_->advance(150);
    EXPECT_EQ(changes.count(), 3);
    defaults_->setBool("nivelo.closeToMenuBar", false);
    clock_->advance(300);
    EXPECT_EQ(changes.count(), 3);
    defaults_->remove("nivelo.closeToMenuBar");
    clock_->advance(499);
    EXPECT_EQ(changes.count(), 3);
    // Only the 1.0 s timer from now on.
    clock_->advance(1);
    EXPECT_EQ(changes.count(), 4);
}

TEST_F(AppDelegateTest, TimerFollowsTheWindowWithinOneSecond) {
    QWidget* window = shownMainWindow();
    launch();
    EXPECT_TRUE(delegate_->hasDockPolicyTimer());
    // Nothing is set at launch itself; the first tick decides.
    DockPresence::shared().setPolicy(ActivationPolicy::Accessory);
    clock_->advance(999);
    EXPECT_EQ(policy(), ActivationPolicy::Accessory);
    clock_->advance(1);
    EXPECT_EQ(policy(), ActivationPolicy::Regular);

    window->showMinimized();
    VirtualClock::flushEvents();
    clock_->advance(1000);
    EXPECT_EQ(policy(), ActivationPolicy::Accessory);
    window->showNormal();
    clock_->advance(1000);
    EXPECT_EQ(policy(), ActivationPolicy::Regular);
}

TEST_F(AppDelegateTest, PanelsNeverMoveThePolicyThroughTheObservers) {
    shownMainWindow();
    launch();
    auto* panel = new QWidget(nullptr, Qt::Tool);
    panel->show();
    EmissionCounter changes(&DockPresence::shared(), &DockPresence::policyChanged);
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(panel, &activate);
    EXPECT_TRUE(panel->close());
    clock_->advance(999);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_NE(panel->windowTitle(), "NiveloAI");
    EXPECT_FALSE(delegate_->isDelegateOf(panel));
}

TEST_F(AppDelegateTest, LaunchAndActivationTakeOnMainWindowsButNotPanels) {
    QWidget* early = shownMainWindow();
    auto* panel = new QWidget(nullptr, Qt::Tool);
    panel->show();
    launch();
    EXPECT_TRUE(delegate_->isDelegateOf(early));
    EXPECT_EQ(early->windowTitle(), "NiveloAI");
    EXPECT_FALSE(delegate_->isDelegateOf(panel));

    QWidget* later = shownMainWindow();
    EXPECT_FALSE(delegate_->isDelegateOf(later));
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(later, &activate);
    VirtualClock::flushEvents();
    EXPECT_TRUE(delegate_->isDelegateOf(later));
    EXPECT_EQ(later->windowTitle(), "NiveloAI");
    EXPECT_FALSE(later->close());
}

TEST_F(AppDelegateTest, WillTerminateStopsObserversAndTimer) {
    QWidget* window = shownMainWindow();
    launch();
    EXPECT_TRUE(delegate_->isObservingWindows());
    delegate_->applicationShouldTerminate();
    delegate_->applicationWillTerminate();
    EXPECT_FALSE(delegate_->isObservingWindows());
    EXPECT_FALSE(delegate_->hasDockPolicyTimer());
    EmissionCounter changes(&DockPresence::shared(), &DockPresence::policyChanged);
    EXPECT_TRUE(window->close());
    clock_->advance(5000);
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(AppDelegateTest, ReopenShowsTheHiddenWindow) {
    QWidget* window = shownMainWindow();
    launch();
    window->close();
    ASSERT_FALSE(window->isVisible());
    EXPECT_TRUE(delegate_->applicationShouldHandleReopen(false));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(policy(), ActivationPolicy::Regular);
}
