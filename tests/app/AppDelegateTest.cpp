#include "ShellFixture.h"
#include "app/NiveloAppDelegate.h"
#include "app/NiveloWindowPresenter.h"

using AppDelegateTest = ShellFixture;
using PresenterTest = ShellFixture;

// Both keys are read afresh every time (also as text); an absent key counts as on. Closing
// hides the window and reapplies the rule 50, 200 and 500 ms later, then only on the 1 s tick.
TEST_F(AppDelegateTest, ClosingTheMainWindowHidesItWhileBothKeysAreOn) {
    NiveloAppDelegate delegate(*defaults_, *clock_);
    for (const char* key : {"nivelo.closeToMenuBar", "nivelo.menuBarIconVisible"}) {
        defaults_->setBool(key, false);
        EXPECT_FALSE(delegate.shouldStayInMenuBar());
        EXPECT_TRUE(delegate.applicationShouldTerminateAfterLastWindowClosed());
        defaults_->setString(key, "true");
    }
    QPointer<QWidget> window = new QWidget();
    window->show();
    delegate.applicationDidFinishLaunching();
    VirtualClock::flushEvents();
    EmissionCounter changes(&DockPresence::shared(), &DockPresence::policyChanged);
    EXPECT_FALSE(window->close());
    ASSERT_TRUE(window);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(policy(), ActivationPolicy::Accessory);
    QList<int> counts;
    for (const qint64 ms : {49, 1, 150, 299, 1, 499, 1}) {
        clock_->advance(ms);
        counts << changes.count();
    }
    EXPECT_EQ(counts, (QList<int>{1, 2, 3, 3, 4, 4, 5}));
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(false));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(policy(), ActivationPolicy::Regular);
    window->showMinimized();  // the tick follows it
    VirtualClock::flushEvents();
    clock_->advance(1000);
    EXPECT_EQ(policy(), ActivationPolicy::Accessory);
}

// Launch takes on the windows there, activation later ones; never panels.
TEST_F(AppDelegateTest, LaunchAndActivationTakeOnMainWindowsButNeverPanels) {
    NiveloAppDelegate delegate(*defaults_, *clock_);
    auto* early = new QWidget();
    auto* panel = new QWidget(nullptr, Qt::Tool);
    early->show();
    panel->show();
    delegate.applicationDidFinishLaunching();
    VirtualClock::flushEvents();
    EXPECT_TRUE(delegate.isDelegateOf(early));
    auto* later = new QWidget();
    later->show();
    EmissionCounter changes(&DockPresence::shared(), &DockPresence::policyChanged);
    for (QWidget* window : {panel, later}) {
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(window, &activate);
    }
    VirtualClock::flushEvents();
    EXPECT_TRUE(panel->close());
    clock_->advance(999);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_FALSE(later->close());
}

// The window manager is asked to activate it, not just Qt; a minimised one is restored.
// Panels are not main windows: without an opener nothing happens; with one it is called once
// and the window it creates is shown on the next turn.
TEST_F(PresenterTest, ShowsTheMainWindowOrOpensOneOnce) {
    auto* panel = new QWidget(nullptr, Qt::Tool);
    QWidget* opened = nullptr;
    NiveloWindowPresenter::showMainWindow();
    VirtualClock::flushEvents();
    EXPECT_TRUE(activation_->requests.isEmpty());
    NiveloWindowPresenter::showMainWindow([&] {
        EXPECT_EQ(opened, nullptr);
        opened = new QWidget();
    });
    ASSERT_NE(opened, nullptr);
    VirtualClock::flushEvents();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(activation_->requests, QList<quintptr>{opened->winId()});
    for (bool minimised : {false, true}) {
        minimised ? opened->showMinimized() : opened->hide();
        DockPresence::shared().setPolicy(ActivationPolicy::Accessory);
        const auto requests = activation_->requests.size();
        NiveloWindowPresenter::showMainWindow([] { ADD_FAILURE() << "opened another"; });
        EXPECT_TRUE(opened->isVisible() && !opened->isMinimized());
        EXPECT_EQ(policy(), ActivationPolicy::Regular);
        EXPECT_EQ(activation_->requests.size(), requests + 1);
    }
}
