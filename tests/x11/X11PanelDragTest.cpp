#include <gtest/gtest.h>

#include <QVBoxLayout>
#include <QWindow>

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11WindowActivation.h"
#include "platform/x11/X11WindowManagerHints.h"
#include "support/XSession.h"
#include "theme/PanelWindow.h"
#include "theme/WindowDragHandle.h"
#include "x11/X11TestSupport.h"

#include "platform/x11/Xlib.h"

namespace {

// The user's pointer, driven through XTest on a connection of its own.
class Hand {
public:
    void moveTo(QPoint at) {
        XTestFakeMotionEvent(user_.display(), -1, at.x(), at.y(), CurrentTime);
        XSync(user_.display(), False);
    }
    // Press and release `heldMs` apart, timed by the server.
    void click(unsigned long heldMs) {
        XTestFakeButtonEvent(user_.display(), 1, True, CurrentTime);
        XTestFakeButtonEvent(user_.display(), 1, False, heldMs);
        XSync(user_.display(), False);
    }
    void button(bool down) {
        XTestFakeButtonEvent(user_.display(), 1, down, CurrentTime);
        XSync(user_.display(), False);
    }
    // Moves in small steps, as a hand does.
    void glide(QPoint from, QPoint to) {
        for (int step = 1; step <= 10; ++step) {
            moveTo(from + (to - from) * step / 10);
            pause(40);
        }
    }

private:
    X11Connection user_;
};

}  // namespace

// A panel with a header strip (the drag handle) above an empty background that moves it too,
// and edges and rounded corners that resize it, under openbox (no compositor: the window is
// shaped to its rounded surface). Over each the pointer shows its cursor. A click on any,
// press and release 2 ms apart as a tap sends them, then pointer moves with no button held:
// the panel stays as it was. A press, travel and release moves it with the pointer (or drags
// its edge or corner along).
TEST(X11PanelDrag, AQuickClickLeavesThePanelAndADragMovesIt) {
    XSession& session = x11Session();
    X11WindowManagerHints hints;
    X11WindowActivation activation;
    Hand hand;
    const struct {
        const char* name;
        QPoint press;  // from the window's top-left corner
        Qt::Edges resizes;
        decltype(Qt::ArrowCursor) pointer;  // Xlib names a macro CursorShape
    } places[] = {
        {"header", {200, 20}, {}, Qt::ArrowCursor},
        {"background", {200, 200}, {}, Qt::ArrowCursor},
        {"edge", {397, 150}, Qt::RightEdge, Qt::SizeHorCursor},
        // The rounded outline crosses the diagonal 6.4 px in from the square's corner.
        {"corner, 3 px inside", {391, 291}, Qt::RightEdge | Qt::BottomEdge, Qt::SizeFDiagCursor},
        {"corner, 6 px inside", {389, 289}, Qt::RightEdge | Qt::BottomEdge, Qt::SizeFDiagCursor}};
    for (const auto& place : places) {
        SCOPED_TRACE(place.name);
        PanelWindow panel(PanelWindow::Kind::key, {&activation, &hints});
        panel.setSurfaceRecipe(floatingSurfaceRecipe(AppearanceMode::system, SurfaceMode::solid, 22,
                                                     ColorScheme::light));
        panel.setMovableByBackground(true);
        panel.setResizable(true);
        auto* column = new QVBoxLayout(panel.surface());
        auto* header = new WindowDragHandle(panel.surface());
        header->setFixedHeight(40);
        column->addWidget(header);
        column->addStretch(1);
        panel.setGeometry(200, 150, 400, 300);
        panel.show();
        const QString id = QString::number(panel.winId());
        ASSERT_TRUE(XSession::waitUntil([&] { return session.isViewable(id); }));
        pause(300);
        const QRect before = session.windowGeometry(id);
        const QPoint press = before.topLeft() + place.press;

        hand.moveTo(press);
        pause(200);
        EXPECT_TRUE(XSession::waitUntil(
            [&] { return panel.windowHandle()->cursor().shape() == place.pointer; }));
        hand.click(2);
        pause(300);
        hand.glide(press, press + QPoint(180, 120));
        pause(300);
        const QRect afterClick = session.windowGeometry(id);
        EXPECT_EQ(afterClick, before) << "the click glued the panel";
        if (afterClick != before) {
            // Drops it, so that the drag below starts free.
            hand.click(100);
            pause(300);
        }

        const QRect start = session.windowGeometry(id);
        const QPoint grip = start.topLeft() + place.press;
        const QPoint travel(160, 100);
        hand.moveTo(grip);
        pause(200);
        hand.button(true);
        pause(100);
        hand.glide(grip, grip + travel);
        // Held at the end until the window follows, as a person's hand would be.
        // The spot pressed stays under the pointer.
        const QRect target =
            place.resizes ? start.adjusted(0, 0, place.resizes & Qt::RightEdge ? travel.x() : 0,
                                           place.resizes & Qt::BottomEdge ? travel.y() : 0)
                          : start.translated(travel);
        const bool followed = XSession::waitUntil(
            [&] {
                hand.moveTo(grip + travel);
                return session.windowGeometry(id) == target;
            },
            5000);
        hand.button(false);
        pause(300);
        EXPECT_TRUE(followed);
        EXPECT_EQ(session.windowGeometry(id), target);
        const QRect resting = session.windowGeometry(id);
        // Released: further pointer moves leave it where it was dropped.
        hand.glide(grip + travel, grip + travel + QPoint(-120, 60));
        pause(300);
        EXPECT_EQ(session.windowGeometry(id), resting);
        panel.hide();
    }
}
