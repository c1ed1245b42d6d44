#pragma once

#include <QObject>
#include <QVariant>

// What the desktop says about drawing see-through surfaces.
class SystemAppearance : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SystemAppearance() override = default;

    // The user asked the desktop for less transparency.
    virtual bool reduceTransparency() const = 0;
    // The glass-diffusion setting of the app's own defaults as stored (an integer, a text, ...);
    // invalid when there is none.
    virtual QVariant glassDiffusionSetting() const = 0;
    // The desktop-wide glass-diffusion setting; invalid when the desktop has none.
    virtual QVariant globalGlassDiffusionSetting() const = 0;

Q_SIGNALS:
    // The accessibility display options changed.
    void displayOptionsChanged();
};
