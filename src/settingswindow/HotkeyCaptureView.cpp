#include "settingswindow/HotkeyCaptureView.h"

#include <QKeyEvent>
#include <QTimer>

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

void HotkeyCaptureView::setRecording(bool recording) {
    recording_ = recording;
    if (recording_) {
        setFocus(Qt::OtherFocusReason);
    }
}

void HotkeyCaptureView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    // Leaving the window ends recording elsewhere; within it the focus comes straight back.
    if (recording_ && event->reason() != Qt::ActiveWindowFocusReason) {
        QTimer::singleShot(0, this, [this] {
            if (recording_ && isActiveWindow()) {
                setFocus(Qt::OtherFocusReason);
            }
        });
    }
}
