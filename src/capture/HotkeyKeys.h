#pragma once

#include <QString>
#include <QtGlobal>
#include <span>

// One key as hot-key texts name it, with its platform-neutral key code.
struct HotkeyKey {
    quint16 keyCode;
    const char* name;
};

// The keys the shortcut recorder names by key code, in the spelling it stores
// ("A", "1", "Equal", "Space", "F5"). The hot-key parser accepts each of these upper-cased
// with the same code, so everything the recorder writes can be registered.
std::span<const HotkeyKey> recorderKeyNames();

// The recorder's name of a key code, or an empty text when it has none.
QString recorderKeyName(quint16 keyCode);
