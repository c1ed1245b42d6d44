#include "platform/x11/X11KeyMap.h"

#include <xkbcommon/xkbcommon.h>
#include <array>
#include <cstring>

#include "platform/x11/Xlib.h"

namespace {
struct KeyName {
    quint16 keyCode;
    const char* xkbName;
};

// Neutral key codes (the hot-key texts' numbers) and the XKB names of their physical keys.
constexpr std::array<KeyName, 75> kKeys{{
    {0, "AC01"},   {1, "AC02"},   {2, "AC03"},   {3, "AC04"},   {4, "AC06"},   {5, "AC05"},
    {6, "AB01"},   {7, "AB02"},   {8, "AB03"},   {9, "AB04"},   {10, "LSGT"},  {11, "AB05"},
    {12, "AD01"},  {13, "AD02"},  {14, "AD03"},  {15, "AD04"},  {16, "AD06"},  {17, "AD05"},
    {18, "AE01"},  {19, "AE02"},  {20, "AE03"},  {21, "AE04"},  {22, "AE06"},  {23, "AE05"},
    {24, "AE12"},  {25, "AE09"},  {26, "AE07"},  {27, "AE11"},  {28, "AE08"},  {29, "AE10"},
    {30, "AD12"},  {31, "AD09"},  {32, "AD07"},  {33, "AD11"},  {34, "AD08"},  {35, "AD10"},
    {36, "RTRN"},  {37, "AC09"},  {38, "AC07"},  {39, "AC11"},  {40, "AC08"},  {41, "AC10"},
    {42, "BKSL"},  {43, "AB08"},  {44, "AB10"},  {45, "AB06"},  {46, "AB07"},  {47, "AB09"},
    {48, "TAB"},   {49, "SPCE"},  {50, "TLDE"},  {51, "BKSP"},  {53, "ESC"},   {96, "FK05"},
    {97, "FK06"},  {98, "FK07"},  {99, "FK03"},  {100, "FK08"}, {101, "FK09"}, {103, "FK11"},
    {109, "FK10"}, {111, "FK12"}, {115, "HOME"}, {116, "PGUP"}, {117, "DELE"}, {118, "FK04"},
    {119, "END"},  {120, "FK02"}, {121, "PGDN"}, {122, "FK01"}, {123, "LEFT"}, {124, "RGHT"},
    {125, "DOWN"}, {126, "UP"},   {114, "INS"},
}};
}  // namespace

X11KeyMap::X11KeyMap(Display* display) : display_(display) {}

void X11KeyMap::reload() {
    loaded_ = true;
    toX_.clear();
    fromX_.clear();
    if (!display_) {
        return;
    }
    XkbDescPtr desc = XkbGetMap(display_, 0, XkbUseCoreKbd);
    if (!desc) {
        return;
    }
    if (XkbGetNames(display_, XkbKeyNamesMask | XkbKeyAliasesMask, desc) == Success &&
        desc->names && desc->names->keys) {
        for (int code = desc->min_key_code; code <= desc->max_key_code; ++code) {
            const char* name = desc->names->keys[code].name;
            for (const KeyName& key : kKeys) {
                if (std::strncmp(name, key.xkbName, XkbKeyNameLength) == 0 &&
                    !toX_.contains(key.keyCode)) {
                    toX_.insert(key.keyCode, unsigned(code));
                    fromX_.insert(unsigned(code), key.keyCode);
                }
            }
        }
    }
    XkbFreeKeyboard(desc, 0, True);
}

std::optional<unsigned> X11KeyMap::xKeyCode(quint16 keyCode) {
    if (!loaded_) {
        reload();
    }
    const auto it = toX_.constFind(keyCode);
    return it == toX_.constEnd() ? std::nullopt : std::optional<unsigned>(*it);
}

std::optional<quint16> X11KeyMap::neutralKeyCode(quint32 xKeyCode) {
    if (!loaded_) {
        reload();
    }
    const auto it = fromX_.constFind(xKeyCode);
    return it == fromX_.constEnd() ? std::nullopt : std::optional<quint16>(*it);
}

QString X11KeyMap::plainCharacter(quint32 xKeyCode) {
    if (!display_ || xKeyCode > 255) {
        return {};
    }
    const auto code = static_cast<unsigned char>(xKeyCode);
    XkbStateRec state;
    const int group = XkbGetState(display_, XkbUseCoreKbd, &state) == Success ? state.group : 0;
    auto symAt = [&](int level) {
        KeySym sym = XkbKeycodeToKeysym(display_, code, group, level);
        // A key with fewer groups than the layout list (the keypad) has its symbols in group 0.
        if (sym == NoSymbol && group > 0) {
            sym = XkbKeycodeToKeysym(display_, code, 0, level);
        }
        return sym;
    };
    KeySym sym = symAt(0);
    if (sym >= XK_KP_Space && sym <= XK_KP_9) {
        // Without Num Lock a keypad digit is a cursor key (KP_End); its digit is one level up.
        const KeySym numeric = symAt(1);
        if (numeric >= XK_KP_0 && numeric <= XK_KP_9) {
            sym = numeric;
        }
    }
    const uint32_t ucs = xkb_keysym_to_utf32(sym);
    return ucs ? QString::fromUcs4(reinterpret_cast<const char32_t*>(&ucs), 1) : QString();
}
