#pragma once

// The place of the desktop's settings where the user grants a permission.
enum class PermissionSettingsTarget {
    accessibility,
    inputMonitoring,
    // The security settings as a whole, no category selected.
    privacy,
};
