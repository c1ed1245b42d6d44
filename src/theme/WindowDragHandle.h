#pragma once

#include <QPoint>
#include <QWidget>

// An invisible strip behind a panel's header: a press on it moves the whole window, by the
// window manager when it can, else by following the pointer.
class WindowDragHandle : public QWidget {
    Q_OBJECT
public:
    explicit WindowDragHandle(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool dragging_ = false;
    // The pointer's offset from the window's top-left corner at the press.
    QPoint grabOffset_;
};
