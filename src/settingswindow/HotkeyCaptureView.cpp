#include "settingswindow/HotkeyCaptureView.h"

#include <QKeyEvent>

HotkeyCaptureView::HotkeyCaptureView(QWidget* parent) : QWidget(parent) {
    setFixedSize(0, 0);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAccessibleName(QStringLiteral("Shortcut capture"));
}

void HotkeyCaptureView::keyPressEvent(QKeyEvent* event) {
    event->accept();
    if (onKeyDown_) {
        onKeyDown_(*event);
    }
}
