#pragma once

#include <QString>

#include "base/EnumCases.h"

// How a fresh selection offers the quick menu: the panel at once, or a floating button first.
enum class QuickMenuOpenMode { input, button };

inline QString rawValue(QuickMenuOpenMode mode) {
    return mode == QuickMenuOpenMode::button ? QStringLiteral("button") : QStringLiteral("input");
}

template <>
inline QList<QuickMenuOpenMode> allCases<QuickMenuOpenMode>() {
    return {QuickMenuOpenMode::input, QuickMenuOpenMode::button};
}
