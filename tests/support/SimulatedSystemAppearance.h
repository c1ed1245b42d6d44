#pragma once

#include "platform/SystemAppearance.h"

// Appearance settings a test sets directly.
class SimulatedSystemAppearance : public SystemAppearance {
public:
    bool reduce = false;
    QVariant glassDiffusion;
    QVariant globalGlassDiffusion;

    bool reduceTransparency() const override { return reduce; }
    QVariant glassDiffusionSetting() const override { return glassDiffusion; }
    QVariant globalGlassDiffusionSetting() const override { return globalGlassDiffusion; }

    // The user toggles the desktop's display option, which announces it.
    void setReduceTransparency(bool on) {
        reduce = on;
        Q_EMIT displayOptionsChanged();
    }
};
