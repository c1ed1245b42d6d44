#include <QWidget>

#include "ShellFixture.h"
#include "app/NiveloWindowPresenter.h"

using PresenterTest = ShellFixture;

TEST_F(PresenterTest, ShowsTheHiddenWindowWithoutOpeningAnother) {
    auto* window = new QWidget();
    window->hide();
    DockPresence::shared().setPolicy(ActivationPolicy::Accessory);
    int opened = 0;
    NiveloWindowPresenter::showMainWindow([&] { ++opened; });
    EXPECT_EQ(opened, 0);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "NiveloAI");
    EXPECT_EQ(policy(), ActivationPolicy::Regular);
    // The window manager is asked to activate it, not just Qt.
    EXPECT_EQ(activation_->requests, QList<quintptr>{window->winId()});
}

TEST_F(PresenterTest, RestoresAMinimisedWindow) {
    auto* window = new QWidget();
    window->showMinimized();
    NiveloWindowPresenter::showMainWindow();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
}

TEST_F(PresenterTest, OpensOnceWhenThereIsNoWindowAndShowsItOnTheNextTurn) {
    QWidget* opened = nullptr;
    int calls = 0;
    NiveloWindowPresenter::showMainWindow([&] {
        ++calls;
        // The opener creates the window; showing it is left to the presenter.
        opened = new QWidget();
    });
    EXPECT_EQ(calls, 1);
    ASSERT_NE(opened, nullptr);
    EXPECT_FALSE(opened->isVisible());
    EXPECT_TRUE(activation_->requests.isEmpty());
    VirtualClock::flushEvents();
    EXPECT_TRUE(opened->isVisible());
    EXPECT_EQ(activation_->requests, QList<quintptr>{opened->winId()});
    EXPECT_EQ(calls, 1);
}

TEST_F(PresenterTest, PanelsAreNotMainWindows) {
    auto* panel = new QWidget(nullptr, Qt::Tool);
    panel->hide();
    EXPECT_FALSE(NiveloWindowPresenter::showExistingMainWindow());
    EXPECT_FALSE(panel->isVisible());
    // Without an opener there is nothing more to do.
    NiveloWindowPresenter::showMainWindow();
    VirtualClock::flushEvents();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(activation_->requests.isEmpty());
}
