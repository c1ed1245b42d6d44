#include "theme/WindowDragHandle.h"

#include <QMouseEvent>

WindowDragHandle::WindowDragHandle(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("Move window"));
    setAttribute(Qt::WA_NoSystemBackground);
}

void WindowDragHandle::mousePressEvent(QMouseEvent* event) {
    following_ = false;
    if (!travel_.press(*event)) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
}

void WindowDragHandle::mouseMoveEvent(QMouseEvent* event) {
    QWidget* top = window();
    if (!following_ && travel_.startsDrag(*event)) {
        following_ = true;
        grabOffset_ = travel_.grabOffset(*top);
    }
    if (!following_) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    event->accept();
    top->move(event->globalPosition().toPoint() - grabOffset_);
}

void WindowDragHandle::mouseReleaseEvent(QMouseEvent* event) {
    travel_.reset();
    following_ = false;
    QWidget::mouseReleaseEvent(event);
}
