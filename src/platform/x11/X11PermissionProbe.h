#pragma once

#include "platform/PermissionProbe.h"

typedef struct _XDisplay Display;

// On X11 nothing is granted per application: the permissions are there when the server offers
// the extension that does the job (XTEST for synthetic keys, XInput 2 for watching input).
class X11PermissionProbe : public PermissionProbe {
public:
    // The display of the running Qt application; the probe answers false without one.
    X11PermissionProbe();
    explicit X11PermissionProbe(Display* display);

    bool canPostSyntheticEvents() const override;
    bool canMonitorInput() const override;
    // X11 grants nothing per application, so there is nobody to ask.
    bool canRequest() const override { return false; }
    // Nor any record to remove.
    bool canReset() const override { return false; }
    // X11 desktops have no permission settings to open.
    std::optional<QUrl> settingsUrl(PermissionSettingsTarget) const override {
        return std::nullopt;
    }

private:
    Display* display_;
};
