#pragma once

#include <QColor>
#include <QPalette>

// A colour role of a widget's palette, with an opacity: painted controls keep roles, not
// colours, so they follow a palette change without being told.
struct ThemeColor {
    enum class Role { primary, secondary, accent, white, black, clear };
    Role role = Role::clear;
    double opacity = 1.0;

    QColor resolve(const QPalette& palette) const;
    bool operator==(const ThemeColor&) const = default;
};
