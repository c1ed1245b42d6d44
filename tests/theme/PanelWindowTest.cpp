#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWindow>

#include "app/WindowKinds.h"
#include "support/SimulatedWindowActivation.h"
#include "support/SimulatedWindowManagerHints.h"
#include "theme/CloseButton.h"
#include "theme/PanelWindow.h"
#include "theme/WindowDragHandle.h"

namespace {

void send(QObject* receiver, QEvent::Type type, QPointF local, QPointF global,
          Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, local, global, type == QEvent::MouseMove ? Qt::NoButton : button,
                      buttons, Qt::NoModifier);
    QApplication::sendEvent(receiver, &event);
}

struct PanelFixture : ::testing::Test {
    SimulatedWindowActivation activation;
    SimulatedWindowManagerHints hints;

    std::unique_ptr<PanelWindow> make(PanelWindow::Kind kind) {
        auto panel =
            std::make_unique<PanelWindow>(kind, PanelWindow::Environment{&activation, &hints});
        panel->setSurfaceRecipe(floatingSurfaceRecipe(AppearanceMode::system, SurfaceMode::solid,
                                                      22, ColorScheme::light));
        panel->setGeometry(100, 100, 300, 200);
        return panel;
    }
};

}  // namespace

TEST_F(PanelFixture, EachKindIsAPanelThatTakesTheKeyboardOnlyAsItsRulesSay) {
    const struct {
        PanelWindow::Kind kind;
        Qt::WindowType type;
        bool refusesFocus;
        bool showsWithoutActivating;
        bool inputPassesThrough;
        bool activatedOnShow;
    } cases[] = {
        {PanelWindow::Kind::nonActivating, Qt::Tool, true, true, false, false},
        {PanelWindow::Kind::typing, Qt::Tool, false, true, false, false},
        {PanelWindow::Kind::key, Qt::Tool, false, false, false, true},
        {PanelWindow::Kind::status, Qt::ToolTip, true, true, true, false},
    };
    for (const auto& c : cases) {
        activation.requests.clear();
        hints.onAllWorkspaces.clear();
        auto panel = make(c.kind);
        panel->show();
        const int kind = int(c.kind);
        EXPECT_TRUE(WindowKinds::isPanel(panel.get())) << kind;
        EXPECT_FALSE(WindowKinds::isMainWindow(panel.get())) << kind;
        EXPECT_EQ(panel->windowType(), c.type) << kind;
        EXPECT_TRUE(panel->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) << kind;
        EXPECT_TRUE(panel->windowFlags().testFlag(Qt::FramelessWindowHint)) << kind;
        EXPECT_EQ(panel->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus), c.refusesFocus)
            << kind;
        EXPECT_EQ(panel->testAttribute(Qt::WA_ShowWithoutActivating), c.showsWithoutActivating)
            << kind;
        EXPECT_EQ(panel->windowFlags().testFlag(Qt::WindowTransparentForInput),
                  c.inputPassesThrough)
            << kind;
        EXPECT_EQ(activation.requests.contains(panel->winId()), c.activatedOnShow) << kind;
        // Status windows are outside the window manager's care, so no workspace hint.
        EXPECT_EQ(hints.onAllWorkspaces.contains(panel->winId()),
                  c.kind != PanelWindow::Kind::status)
            << kind;
    }
}

TEST_F(PanelFixture, APressInATypingPanelAsksForTheKeyboard) {
    auto panel = make(PanelWindow::Kind::typing);
    panel->show();
    ASSERT_TRUE(activation.requests.isEmpty());
    send(panel->windowHandle(), QEvent::MouseButtonPress, {150, 100}, {250, 200});
    EXPECT_EQ(activation.requests, QList<quintptr>{panel->winId()});
}

TEST_F(PanelFixture, ACloseRequestHidesTheWindowAndKeepsIt) {
    auto panel = make(PanelWindow::Kind::nonActivating);
    int requested = 0;
    QObject::connect(panel.get(), &PanelWindow::closeRequested, [&] { ++requested; });
    panel->show();
    panel->close();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(requested, 1);
    panel->show();
    EXPECT_TRUE(panel->isVisible());
}

TEST_F(PanelFixture, OpaqueWithoutACompositorShapedToTheRoundedSurface) {
    for (const bool compositing : {false, true}) {
        hints.compositing = compositing;
        auto panel = make(PanelWindow::Kind::status);
        panel->setSurfaceMargin(18);
        panel->show();
        EXPECT_EQ(panel->isTranslucent(), compositing);
        EXPECT_EQ(panel->testAttribute(Qt::WA_TranslucentBackground), compositing);
        const QRegion mask = panel->mask();
        if (compositing) {
            EXPECT_TRUE(mask.isEmpty());
        } else {
            // The margin and the rounded corners are outside; the surface's middle is in.
            EXPECT_FALSE(mask.contains(QPoint(5, 5)));
            EXPECT_FALSE(mask.contains(QPoint(19, 19)));
            EXPECT_TRUE(mask.contains(QPoint(150, 100)));
            EXPECT_TRUE(mask.contains(QPoint(150, 19)));
        }
    }
}

TEST_F(PanelFixture, CloseButtonIsARedDotWithACrossOnlyWhileHovered) {
    auto panel = make(PanelWindow::Kind::nonActivating);
    int closes = 0;
    CloseButton* button = addPanelCloseButton(panel->surface(), [&] { ++closes; });
    panel->show();
    EXPECT_EQ(button->accessibleName(), "Close");
    const auto centre = [&] { return panel->grab().toImage().pixelColor(21, 21); };
    const QColor red = centre();
    EXPECT_NEAR(red.red(), 255, 2);
    EXPECT_NEAR(red.green(), 95, 2);
    EXPECT_NEAR(red.blue(), 87, 2);

    QEnterEvent enter({9, 9}, {9, 9}, {30, 30});
    QApplication::sendEvent(button, &enter);
    EXPECT_LT(centre().red(), 200);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    EXPECT_NEAR(centre().red(), 255, 2);

    // The square's corner is outside the dot and still closes.
    send(button, QEvent::MouseButtonPress, {0.5, 0.5}, {112.5, 112.5});
    send(button, QEvent::MouseButtonRelease, {0.5, 0.5}, {112.5, 112.5});
    EXPECT_EQ(closes, 1);
}

TEST_F(PanelFixture, DraggingTheHeaderMovesTheWindow) {
    auto panel = make(PanelWindow::Kind::typing);
    auto* handle = new WindowDragHandle(panel->surface());
    handle->setGeometry(0, 0, 300, 40);
    panel->show();
    const QPoint start = panel->pos();
    send(handle, QEvent::MouseButtonPress, {10, 10}, start + QPoint(10, 10));
    send(handle, QEvent::MouseMove, {60, 40}, start + QPoint(60, 40));
    send(handle, QEvent::MouseButtonRelease, {60, 40}, start + QPoint(60, 40));
    EXPECT_EQ(panel->pos(), start + QPoint(50, 30));
}

TEST_F(PanelFixture, OnlyAUserResizeByAnEdgeIsReported) {
    auto panel = make(PanelWindow::Kind::typing);
    panel->setResizable(true);
    panel->show();
    QList<QSize> resized;
    QObject::connect(panel.get(), &PanelWindow::userResized,
                     [&](QSize size) { resized.append(size); });
    panel->resize(320, 220);
    EXPECT_TRUE(resized.isEmpty());

    QWindow* window = panel->windowHandle();
    const QPoint origin = panel->pos();
    send(window, QEvent::MouseButtonPress, {318, 100}, origin + QPoint(318, 100));
    send(window, QEvent::MouseMove, {358, 100}, origin + QPoint(358, 100));
    send(window, QEvent::MouseButtonRelease, {358, 100}, origin + QPoint(358, 100));
    EXPECT_EQ(panel->width(), 360);
    ASSERT_EQ(resized, QList<QSize>{QSize(360, 220)});
    panel->resize(300, 200);
    EXPECT_EQ(resized.size(), 1);
}
