#pragma once

#include <QString>

#include "base/EnumCases.h"

// How floating surfaces are drawn: see-through glass or an opaque fill.
enum class SurfaceMode { translucent, solid };

inline QString rawValue(SurfaceMode mode) {
    return mode == SurfaceMode::solid ? QStringLiteral("solid") : QStringLiteral("translucent");
}

template <>
inline QList<SurfaceMode> allCases<SurfaceMode>() {
    return {SurfaceMode::translucent, SurfaceMode::solid};
}
