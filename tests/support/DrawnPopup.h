#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QPalette>
#include <optional>

#include "core/AppearanceMode.h"
#include "theme/NiveloTheme.h"

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

// The looks a panel's pop-up is checked in: the panel's mode, whether the desktop is dark, and
// whether the pop-up must come out dark.
struct PopupLook {
    AppearanceMode mode;
    bool darkDesktop;
    bool dark;
};
inline constexpr PopupLook kPopupLooks[] = {{AppearanceMode::system, false, false},
                                            {AppearanceMode::liquidMint, false, true},
                                            {AppearanceMode::liquidSky, false, true},
                                            {AppearanceMode::system, true, true}};

// The desktop in the look's light or dark palette while the result lives.
inline std::optional<DarkDesktopLook> desktopIn(const PopupLook& look) {
    std::optional<DarkDesktopLook> desktop;
    if (look.darkDesktop) {
        desktop.emplace(NiveloTheme::darkPalette(AppearanceMode::system));
    }
    return desktop;
}
