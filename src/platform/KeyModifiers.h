#pragma once

#include <QFlags>

// The modifier keys as the app names them. "Command" is Super on Linux.
enum class KeyModifier : unsigned {
    None = 0,
    Shift = 1u << 0,
    Control = 1u << 1,
    Alt = 1u << 2,
    Command = 1u << 3,
};
Q_DECLARE_FLAGS(KeyModifiers, KeyModifier)
Q_DECLARE_OPERATORS_FOR_FLAGS(KeyModifiers)

// Platform-neutral key codes (the numbers the hot-key texts use); the platform layer maps them
// to physical keys, so a code means the same key whatever the layout.
namespace KeyCode {
inline constexpr quint16 A = 0;
inline constexpr quint16 C = 8;
inline constexpr quint16 V = 9;
inline constexpr quint16 Space = 49;
inline constexpr quint16 Escape = 53;
// The key where Insert sits on a PC keyboard (Help on the Mac one).
inline constexpr quint16 Insert = 114;
}  // namespace KeyCode
