#include "theme/PressTravel.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

bool PressTravel::press(const QMouseEvent& event) {
    pressed_ = event.button() == Qt::LeftButton;
    pressGlobal_ = event.globalPosition().toPoint();
    windowOrigin_ = (event.globalPosition() - event.scenePosition()).toPoint();
    return pressed_;
}

QPoint PressTravel::grabOffset(const QWidget& window) const {
    const QPoint frameMargin = window.geometry().topLeft() - window.frameGeometry().topLeft();
    return pressGlobal_ - windowOrigin_ + frameMargin;
}

bool PressTravel::startsDrag(const QMouseEvent& event) {
    if (!pressed_) {
        return false;
    }
    // A release we never saw (it went to a pop-up, or the grab was lost) ends the press too.
    if (!(event.buttons() & Qt::LeftButton)) {
        pressed_ = false;
        return false;
    }
    const QPoint travel = event.globalPosition().toPoint() - pressGlobal_;
    if (travel.manhattanLength() < QApplication::startDragDistance()) {
        return false;
    }
    pressed_ = false;
    return true;
}
