#pragma once

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include "base/Subscription.h"
#include "theme/FloatingSurface.h"
#include "theme/PressTravel.h"

class ActiveWindowWatch;
struct Platform;
class Screens;
class WindowActivation;
class WindowManagerHints;

// A floating panel's frameless top-level window: above the other windows (a full-screen one
// the user works in too, which stays in full screen), on every workspace, out of the task bar and
// the pager, hidden (not destroyed) by a close request. While it shows it follows the window the
// user works in, so one that goes full screen later keeps it above too. Its content sits on a
// FloatingSurface, with an optional clear margin around it where the shadow shows. See-through only
// while a compositing manager runs; otherwise opaque and shaped to the surface's rounded rectangle.
class PanelWindow : public QWidget {
    Q_OBJECT
public:
    enum class Kind {
        // Never takes the keyboard: the application the user works in keeps it.
        nonActivating,
        // Shown without taking the keyboard; any press in it gives it the keyboard.
        typing,
        // Takes the keyboard when shown.
        key,
        // Input goes through it, above everything, never managed by the window manager.
        status,
    };
    // What the window asks of the desktop; any may be missing (nothing is asked then).
    struct Environment {
        WindowActivation* activation = nullptr;
        WindowManagerHints* hints = nullptr;
        // Tells when the active window or its full screen changes.
        ActiveWindowWatch* activeWindow = nullptr;

        // What every floating panel of the app asks of this desktop.
        static Environment of(const Platform& platform);
    };

    PanelWindow(Kind kind, Environment environment, QWidget* parent = nullptr);
    ~PanelWindow() override;

    Kind kind() const { return kind_; }
    FloatingSurface* surface() const { return surface_; }
    void setSurfaceRecipe(const FloatingSurfaceRecipe& recipe);
    // A key panel takes the keyboard when it shows; one already shown is asked again here.
    void takeKeyboard();
    // Clear room around the surface, on every side.
    void setSurfaceMargin(int pixels);
    int surfaceMargin() const { return margin_; }
    // Drawn see-through (a compositing manager ran when the window was made).
    bool isTranslucent() const { return translucent_; }
    // Shown, and not covered whole by other windows: the user can see something of it.
    bool isSeen() const;

    // The size its owner or the user last gave it. Where the screen is smaller it shows
    // smaller; the wanted size stays for the next show.
    QSize wantedSize() const { return wantedSize_.isValid() ? wantedSize_ : size(); }
    void setWantedSize(QSize size);

    // Its smallest size where the screen has room for it.
    void setPanelMinimumSize(QSize size);
    // Takes the frame, even one smaller than the panel's minimum (a screen smaller than the
    // panel cut it): the minimum gives way there and comes back with the next larger frame.
    void place(const QRect& frame);
    // Placed near the pointer at its wanted size, fitted to the screen there.
    void placeNearMouse(const Screens& screens);

    // Edges within a few pixels of the border resize the window.
    void setResizable(bool resizable) { resizable_ = resizable; }
    // A drag that no control takes (on the background, a label, an empty list) moves it.
    void setMovableByBackground(bool movable) { movableByBackground_ = movable; }

    void setVisible(bool visible) override;

Q_SIGNALS:
    // A close request hid the window.
    void closeRequested();
    // The user resized the window by an edge (programmatic resizes are not reported).
    void userResized(QSize size);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Qt::Edges edgesAt(QPoint pos) const;
    bool handleResizeInput(QEvent* event);
    void updateShape();
    void askForPanelState();
    // Stacks it above the full-screen window the user works in now, or above none.
    void followFullScreen();
    // The window manager restacks the panels that join or leave a full-screen window: once all
    // have followed, the shown panels are raised again in the order they had.
    void keepPanelStacking();
    // It is now the topmost of the shown panels (or, hidden, none of them).
    void noteOnTop();

    Kind kind_;
    Environment environment_;
    FloatingSurface* surface_ = nullptr;
    int margin_ = 0;
    bool translucent_ = false;
    bool resizable_ = false;
    bool movableByBackground_ = false;
    // A press on the background, a move once it travels.
    PressTravel backgroundTravel_;
    bool backgroundDragging_ = false;
    QPoint backgroundGrabOffset_;
    bool filterInstalled_ = false;
    // An edge press, a resize once it travels. Moves and resizes follow the pointer here, not
    // in the window manager: its move or resize asked for just after a quick release never
    // ends.
    PressTravel edgeTravel_;
    Qt::Edges pressedEdges_;
    bool userResizing_ = false;
    Qt::Edges manualEdges_;
    QPoint manualPressGlobal_;
    QRect manualStartGeometry_;
    QSize wantedSize_;
    // The full-screen window it was shown over (0: none), which it stacks above.
    quintptr fullScreenWindow_ = 0;
    Subscription activeWindowFollow_;
    QSize panelMinimum_;
};
