#include "theme/SystemSurfaceMode.h"

#include "platform/Platform.h"
#include "platform/SystemAppearance.h"

namespace {
bool isInteger(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            return true;
        default:
            return false;
    }
}
}  // namespace

SurfaceMode systemResolvedSurfaceMode(const SystemAppearance& appearance) {
    if (appearance.reduceTransparency()) {
        return SurfaceMode::solid;
    }
    // A value of another type in the app's own defaults is skipped; in the desktop-wide one it
    // counts as 0.
    const QVariant own = appearance.glassDiffusionSetting();
    if (isInteger(own)) {
        return own.toLongLong() != 0 ? SurfaceMode::solid : SurfaceMode::translucent;
    }
    const QVariant global = appearance.globalGlassDiffusionSetting();
    if (global.isValid() && isInteger(global) && global.toLongLong() != 0) {
        return SurfaceMode::solid;
    }
    return SurfaceMode::translucent;
}

SurfaceMode systemResolvedSurfaceMode() {
    return systemResolvedSurfaceMode(*Platform::current().systemAppearance);
}
