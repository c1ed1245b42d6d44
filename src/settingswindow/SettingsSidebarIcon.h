#pragma once

#include <QColor>
#include <QPixmap>
#include <array>

#include "core/SettingsPage.h"

// The two colours of a page's tile, top-left to bottom-right.
std::array<QColor, 2> iconGradient(SettingsPage page);

// The page's symbol, white, on its 24 x 24 gradient tile with a soft shadow below (the pixmap
// is 28 x 28 to hold the shadow).
namespace SettingsSidebarIcon {
constexpr int kTile = 24;
constexpr int kSize = 28;
QPixmap pixmap(SettingsPage page, qreal devicePixelRatio);
}  // namespace SettingsSidebarIcon
