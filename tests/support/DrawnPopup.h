#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QPalette>

// How the pop-ups of a window look as drawn offscreen: the lightness (0 to 255) of their ground
// where no item text lies.
namespace drawnPopup {

// Beside a menu's right edge, half-way down.
inline int menuGround(QMenu* menu) {
    const QImage shot = menu->grab().toImage();
    return shot.pixelColor(shot.width() - 3, shot.height() / 2).lightness();
}

// A combo box's open list, beside its right edge half-way down: right of the item texts, off
// the current item.
inline int listGround(QComboBox* box) {
    const QAbstractItemView* list = box->view();
    const QImage shot = list->viewport()->grab().toImage();
    const QPoint ground(shot.width() - 4, shot.height() / 2);
    const QModelIndex item = list->indexAt(ground);
    if (!item.isValid() || item.row() == box->currentIndex()) {
        ADD_FAILURE() << "no other item half-way down the list";
        return -1;
    }
    return shot.pixelColor(ground).lightness();
}

}  // namespace drawnPopup

// The desktop in a dark look for as long as it lives.
class DarkDesktopLook {
public:
    explicit DarkDesktopLook(const QPalette& dark) : saved_(QApplication::palette()) {
        QApplication::setPalette(dark);
    }
    ~DarkDesktopLook() { QApplication::setPalette(saved_); }

private:
    QPalette saved_;
};
