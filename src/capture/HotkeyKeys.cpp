#include "capture/HotkeyKeys.h"

#include <array>

namespace {
constexpr std::array<HotkeyKey, 60> kRecorderKeys{{
    {0, "A"},
    {1, "S"},
    {2, "D"},
    {3, "F"},
    {4, "H"},
    {5, "G"},
    {6, "Z"},
    {7, "X"},
    {8, "C"},
    {9, "V"},
    {11, "B"},
    {12, "Q"},
    {13, "W"},
    {14, "E"},
    {15, "R"},
    {16, "Y"},
    {17, "T"},
    {31, "O"},
    {32, "U"},
    {34, "I"},
    {35, "P"},
    {37, "L"},
    {38, "J"},
    {40, "K"},
    {45, "N"},
    {46, "M"},
    {18, "1"},
    {19, "2"},
    {20, "3"},
    {21, "4"},
    {22, "6"},
    {23, "5"},
    {25, "9"},
    {26, "7"},
    {28, "8"},
    {29, "0"},
    {24, "Equal"},
    {27, "Minus"},
    {30, "BracketRight"},
    {33, "BracketLeft"},
    {39, "Quote"},
    {41, "Semicolon"},
    {42, "Backslash"},
    {43, "Comma"},
    {44, "Slash"},
    {47, "Period"},
    {50, "Backquote"},
    {49, "Space"},
    {122, "F1"},
    {120, "F2"},
    {99, "F3"},
    {118, "F4"},
    {96, "F5"},
    {97, "F6"},
    {98, "F7"},
    {100, "F8"},
    {101, "F9"},
    {109, "F10"},
    {103, "F11"},
    {111, "F12"},
}};
}  // namespace

std::span<const HotkeyKey> recorderKeyNames() {
    return kRecorderKeys;
}

QString recorderKeyName(quint16 keyCode) {
    for (const HotkeyKey& key : kRecorderKeys) {
        if (key.keyCode == keyCode) {
            return QString::fromLatin1(key.name);
        }
    }
    return {};
}
