#include "theme/PopupPalette.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

PopupPalette::PopupPalette(QWidget* source) : QObject(source), source_(source) {
    source_->installEventFilter(this);
    qApp->installEventFilter(this);
}

void PopupPalette::paint(QWidget* popup, const QPalette& palette) {
    // A combo box's list resolves what it inherits against the application's light menu
    // palette: every role is set, on the window and on each of its widgets.
    QPalette full = palette;
    full.setResolveMask(~QPalette::ResolveMask(0));
    popup->setPalette(full);
    for (QWidget* child : popup->findChildren<QWidget*>()) {
        child->setPalette(full);
    }
}

bool PopupPalette::isSecondaryWindow(const QWidget* widget) const {
    const QWidget* top = source_->window();
    if (!widget->isWindow() || widget == top) {
        return false;
    }
    for (const QWidget* p = widget->parentWidget(); p; p = p->parentWidget()) {
        if (p == top) {
            return true;
        }
    }
    return false;
}

void PopupPalette::paintAll() const {
    for (QWidget* popup : source_->window()->findChildren<QWidget*>()) {
        if (isSecondaryWindow(popup)) {
            paint(popup, source_->palette());
        }
    }
}

bool PopupPalette::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == source_) {
        if (type == QEvent::PaletteChange || type == QEvent::ParentChange) {
            paintAll();
        }
    } else if (type == QEvent::Show && watched->isWidgetType() &&
               isSecondaryWindow(static_cast<QWidget*>(watched))) {
        paint(static_cast<QWidget*>(watched), source_->palette());
    }
    return false;
}
