#pragma once

#include <QColor>
#include <QPalette>

// A colour of the panel's palette, with an opacity.
struct AssistantColor {
    enum class Role { primary, secondary, accent, white, clear };
    Role role = Role::clear;
    double opacity = 1.0;

    QColor resolve(const QPalette& palette) const;
    bool operator==(const AssistantColor&) const = default;
};

// The secondary label colour of the palette.
QColor assistantSecondaryColor(const QPalette& palette);
