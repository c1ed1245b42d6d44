#pragma once

#include "platform/SystemAppearance.h"

class Defaults;

// X11 desktops have neither a reduce-transparency option nor a glass-diffusion setting, so both
// come from keys of the app's own defaults; with neither set, surfaces stay translucent.
class DefaultsSystemAppearance : public SystemAppearance {
    Q_OBJECT
public:
    static inline const QString kReduceTransparencyKey =
        QStringLiteral("nivelo.appearance.reduceTransparency");
    static inline const QString kGlassDiffusionKey =
        QStringLiteral("nivelo.appearance.glassDiffusion");

    explicit DefaultsSystemAppearance(Defaults& defaults, QObject* parent = nullptr);

    bool reduceTransparency() const override;
    // Whole numbers stored as text (as the defaults file keeps them) read as integers.
    QVariant glassDiffusionSetting() const override;
    QVariant globalGlassDiffusionSetting() const override { return {}; }

private:
    Defaults& defaults_;
};
