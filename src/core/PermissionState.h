#pragma once

// Whether the two system permissions the app needs are granted.
struct PermissionState {
    bool accessibilityGranted = false;
    bool inputMonitoringGranted = false;

    bool operator==(const PermissionState&) const = default;
};
