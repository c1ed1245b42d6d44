#pragma once

#include <QPoint>

class QMouseEvent;
class QWidget;

// A left-button press that becomes a drag only once the pointer has travelled the desktop's
// drag distance with the button still held. A press that does not travel is a click, and
// nothing starts after the release: a window-manager move asked for then never ends.
class PressTravel {
public:
    // Takes a left-button press (other buttons are not a drag); true when it took it.
    bool press(const QMouseEvent& event);
    // True on the one move that first takes the held pointer the drag distance away.
    bool startsDrag(const QMouseEvent& event);
    void reset() { pressed_ = false; }
    bool isPressed() const { return pressed_; }
    QPoint pressGlobal() const { return pressGlobal_; }
    // Where the pressed window's client area lay, as the press itself tells. Qt's own idea of
    // a window's place can lag behind the window manager's first placement, and a drag that
    // started from it would throw the window across the screen.
    QPoint pressedWindowOrigin() const { return windowOrigin_; }
    // The press's offset from the top-left corner of `window`'s frame, where a move keeps it.
    QPoint grabOffset(const QWidget& window) const;

private:
    bool pressed_ = false;
    QPoint pressGlobal_;
    QPoint windowOrigin_;
};
