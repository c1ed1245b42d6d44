#include "theme/WindowDragHandle.h"

#include <QMouseEvent>
#include <QWindow>

WindowDragHandle::WindowDragHandle(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("Move window"));
    setAttribute(Qt::WA_NoSystemBackground);
}

void WindowDragHandle::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    QWidget* top = window();
    if (QWindow* handle = top->windowHandle(); handle && handle->startSystemMove()) {
        return;
    }
    dragging_ = true;
    grabOffset_ = event->globalPosition().toPoint() - top->frameGeometry().topLeft();
}

void WindowDragHandle::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    event->accept();
    window()->move(event->globalPosition().toPoint() - grabOffset_);
}

void WindowDragHandle::mouseReleaseEvent(QMouseEvent* event) {
    dragging_ = false;
    QWidget::mouseReleaseEvent(event);
}
