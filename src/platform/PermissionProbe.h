#pragma once

#include <QUrl>
#include <optional>

#include "platform/PermissionSettingsTarget.h"

// Whether the desktop lets the app do what its two permissions stand for. Checking never
// prompts the user.
class PermissionProbe {
public:
    virtual ~PermissionProbe() = default;

    // "Accessibility": the app can post synthetic key events to other applications.
    virtual bool canPostSyntheticEvents() const = 0;
    // "Input Monitoring": the app can watch global input events.
    virtual bool canMonitorInput() const = 0;
    // Whether the desktop can ask the user for the permissions; where it cannot, a request
    // only checks again.
    virtual bool canRequest() const = 0;
    // Whether the desktop keeps per-application permission records that a tool can remove.
    virtual bool canReset() const = 0;
    // Where the desktop lets the user grant it; none when the desktop has no such place.
    virtual std::optional<QUrl> settingsUrl(PermissionSettingsTarget target) const = 0;
};
