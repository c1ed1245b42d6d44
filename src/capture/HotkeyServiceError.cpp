#include "capture/HotkeyServiceError.h"

HotkeyServiceError HotkeyServiceError::invalidHotkey(const QString& text) {
    return {HotkeyServiceErrorKind::invalidHotkey, "Invalid hotkey: " + text};
}

HotkeyServiceError HotkeyServiceError::installFailed(int status) {
    return {HotkeyServiceErrorKind::installFailed,
            "Could not install hotkey handler: " + QString::number(status)};
}

HotkeyServiceError HotkeyServiceError::registerFailed(const QString& text, int status) {
    return {HotkeyServiceErrorKind::registerFailed,
            "Could not register " + text + ": " + QString::number(status)};
}
