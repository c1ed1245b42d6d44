#include <QWidget>

#include "ShellFixture.h"
#include "app/NiveloAppDelegate.h"
#include "app/NiveloWindowPresenter.h"

namespace {

class AppDelegateTest : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        delegate_ = std::make_unique<NiveloAppDelegate>(*defaults_, *clock_);
        delegate_->setTrayAvailable([] { return true; });
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

using PresenterTest = ShellFixture;

}  // namespace

// Both keys are read afresh every time, as a settings file holds them (also as text); an
// absent key counts as on.
TEST_F(AppDelegateTest, StaysInMenuBarAndOutlivesTheLastWindowOnlyWhileBothKeysAreOn) {
    const auto expectStays = [&](bool stays) {
        EXPECT_EQ(delegate_->shouldStayInMenuBar(), stays);
        EXPECT_EQ(delegate_->applicationShouldTerminateAfterLastWindowClosed(), !stays);
    };
    expectStays(true);
    defaults_->setBool("nivelo.closeToMenuBar", false);
    expectStays(false);
    defaults_->setBool("nivelo.closeToMenuBar", true);
    expectStays(true);
    defaults_->setBool("nivelo.menuBarIconVisible", false);
    expectStays(false);
    defaults_->setString("nivelo.menuBarIconVisible", "true");
    expectStays(true);
}

// The window hides at once, and the rule runs again 50, 200 and 500 ms later, each time
// reading the keys afresh; after that only the 1.0 s timer.
TEST_F(AppDelegateTest, ClosingTheMainWindowHidesItAndReappliesTheRuleAtItsIntervals) {
    QPointer<QWidget> window = shownMainWindow();
    launch();
    ASSERT_TRUE(delegate_->isDelegateOf(window));
    EmissionCounter changes(&DockPresence::shared(), &DockPresence::policyChanged);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(policy(), ActivationPolicy::Accessory);
    const auto after = [&](qint64 ms) {
        clock_->advance(ms);
        return changes.count();
    };
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(after(49), 1);
    EXPECT_EQ(after(1), 2);
    EXPECT_EQ(after(150), 3);
    defaults_->setBool("nivelo.closeToMenuBar", false);
    EXPECT_EQ(after(300), 3);
    defaults_->remove("nivelo.closeToMenuBar");
    EXPECT_EQ(after(499), 3);
    EXPECT_EQ(after(1), 4);

    EXPECT_TRUE(delegate_->applicationShouldHandleReopen(false));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(policy(), ActivationPolicy::Regular);
}

// Nothing is set at launch itself; the first tick decides.
TEST_F(AppDelegateTest, TimerFollowsTheWindowWithinOneSecond) {
    QWidget* window = shownMainWindow();
    launch();
    EXPECT_TRUE(delegate_->hasDockPolicyTimer());
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

TEST_F(AppDelegateTest, LaunchAndActivationTakeOnMainWindowsButNeverPanels) {
    QWidget* early = shownMainWindow();
    auto* panel = new QWidget(nullptr, Qt::Tool);
    panel->show();
    launch();
    EXPECT_TRUE(delegate_->isDelegateOf(early));
    EXPECT_EQ(early->windowTitle(), "NiveloAI");

    QWidget* later = shownMainWindow();
    EXPECT_FALSE(delegate_->isDelegateOf(later));
    EmissionCounter changes(&DockPresence::shared(), &DockPresence::policyChanged);
    for (QWidget* window : {panel, later}) {
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(window, &activate);
    }
    VirtualClock::flushEvents();
    EXPECT_TRUE(panel->close());
    clock_->advance(999);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_FALSE(delegate_->isDelegateOf(panel));
    EXPECT_NE(panel->windowTitle(), "NiveloAI");
    EXPECT_TRUE(delegate_->isDelegateOf(later));
    EXPECT_EQ(later->windowTitle(), "NiveloAI");
    EXPECT_FALSE(later->close());
}

// The window manager is asked to activate it, not just Qt; a minimised one is restored.
TEST_F(PresenterTest, ShowsTheHiddenOrMinimisedWindowWithoutOpeningAnother) {
    for (bool minimised : {false, true}) {
        SCOPED_TRACE(minimised ? "minimised" : "hidden");
        auto* window = new QWidget();
        minimised ? window->showMinimized() : window->hide();
        DockPresence::shared().setPolicy(ActivationPolicy::Accessory);
        activation_->requests.clear();
        int opened = 0;
        NiveloWindowPresenter::showMainWindow([&] { ++opened; });
        EXPECT_EQ(opened, 0);
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(window->isMinimized());
        EXPECT_EQ(window->windowTitle(), "NiveloAI");
        EXPECT_EQ(policy(), ActivationPolicy::Regular);
        EXPECT_EQ(activation_->requests, QList<quintptr>{window->winId()});
        delete window;
    }
}

// Panels are not main windows: without an opener nothing happens; with one it is called once
// and the window it creates (showing is left to the presenter) is shown on the next turn.
TEST_F(PresenterTest, OpensOnceWhenThereIsNoMainWindowAndShowsItOnTheNextTurn) {
    auto* panel = new QWidget(nullptr, Qt::Tool);
    panel->hide();
    EXPECT_FALSE(NiveloWindowPresenter::showExistingMainWindow());
    NiveloWindowPresenter::showMainWindow();
    VirtualClock::flushEvents();
    EXPECT_TRUE(activation_->requests.isEmpty());

    QWidget* opened = nullptr;
    int calls = 0;
    NiveloWindowPresenter::showMainWindow([&] {
        ++calls;
        opened = new QWidget();
    });
    EXPECT_EQ(calls, 1);
    ASSERT_NE(opened, nullptr);
    EXPECT_FALSE(opened->isVisible());
    EXPECT_TRUE(activation_->requests.isEmpty());
    VirtualClock::flushEvents();
    EXPECT_TRUE(opened->isVisible());
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(activation_->requests, QList<quintptr>{opened->winId()});
    EXPECT_EQ(calls, 1);
}
