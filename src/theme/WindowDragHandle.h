#pragma once

#include <QPoint>
#include <QWidget>

#include "theme/PressTravel.h"

// An invisible strip behind a panel's header: dragging it moves the whole window, which
// follows the pointer until the release. A click on it does nothing. Not the window manager's
// move: one asked for just after a quick release never ends, and the window sticks to the
// pointer.
class WindowDragHandle : public QWidget {
    Q_OBJECT
public:
    explicit WindowDragHandle(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    PressTravel travel_;
    bool following_ = false;
    // The pointer's offset from the window's top-left corner at the press.
    QPoint grabOffset_;
};
