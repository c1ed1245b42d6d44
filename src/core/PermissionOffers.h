#pragma once

// What the desktop lets the user do about the two permissions: ask for them, remove the app's
// records of them, open the place where each is granted.
struct PermissionOffers {
    bool canRequest = false;
    bool canReset = false;
    bool accessibilitySettings = false;
    bool inputMonitoringSettings = false;

    bool operator==(const PermissionOffers&) const = default;
};
