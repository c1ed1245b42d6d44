#include "platform/x11/X11KeyEvents.h"

#include <QStringList>
#include <array>

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11KeyMap.h"

#include "platform/x11/Xlib.h"

namespace {
struct ModifierKey {
    KeyModifier modifier;
    unsigned mask;
    KeySym keysym;
};

// Caps Lock and Num Lock are left alone: they do not change a shortcut.
constexpr std::array<ModifierKey, 4> kModifierKeys{{
    {KeyModifier::Control, ControlMask, XK_Control_L},
    {KeyModifier::Shift, ShiftMask, XK_Shift_L},
    {KeyModifier::Alt, Mod1Mask, XK_Alt_L},
    {KeyModifier::Command, Mod4Mask, XK_Super_L},
}};

const QStringList kTerminalClasses = {
    "xterm",
    "uxterm",
    "urxvt",
    "rxvt",
    "gnome-terminal",
    "konsole",
    "xfce4-terminal",
    "terminator",
    "tilix",
    "alacritty",
    "kitty",
    "st",
    "st-256color",
    "lxterminal",
    "qterminal",
    "mate-terminal",
    "terminology",
    "wezterm",
    "foot",
    "sakura",
    "guake",
    "tilda",
    "yakuake",
    "cool-retro-term",
    "deepin-terminal",
    "org.gnome.console",
    "kgx",
    "org.wezfurlong.wezterm",
    "com.mitchellh.ghostty",
    "ghostty",
    "gnome-terminal-server",
    "xfce4-terminal",
    "eterm",
    "aterm",
    "kterm",
};

// The key codes a modifier is bound to now (from the server's modifier map).
QList<XKeyCode> modifierKeyCodes(Display* display, unsigned mask) {
    QList<XKeyCode> codes;
    XModifierKeymap* map = XGetModifierMapping(display);
    if (!map) {
        return codes;
    }
    int index = 0;
    for (unsigned bit = mask; bit > 1; bit >>= 1) {
        ++index;
    }
    for (int i = 0; i < map->max_keypermod; ++i) {
        const XKeyCode code = map->modifiermap[index * map->max_keypermod + i];
        if (code != 0) {
            codes.append(code);
        }
    }
    XFreeModifiermap(map);
    return codes;
}

bool isDown(const char keys[32], XKeyCode code) {
    return (keys[code / 8] >> (code % 8)) & 1;
}
}  // namespace

X11KeyEvents::X11KeyEvents(std::shared_ptr<X11Connection> connection)
    : connection_(std::move(connection)), keyMap_(connection_->keyMap()) {
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    hasXTest_ = connection_->display() &&
                XTestQueryExtension(connection_->display(), &event, &error, &major, &minor);
}

bool X11KeyEvents::canPostEvents() const {
    return hasXTest_;
}

bool X11KeyEvents::isTerminalClass(const QString& windowClass) {
    return kTerminalClasses.contains(windowClass.toLower());
}

QStringList X11KeyEvents::focusedWindowClass() const {
    Display* display = connection_->display();
    Window window = 0;
    int revert = 0;
    XGetInputFocus(display, &window, &revert);
    // The focus may sit on a child of the client window: walk up to the one with a class.
    for (int depth = 0; depth < 8 && window > PointerRoot; ++depth) {
        XClassHint hint{};
        if (XGetClassHint(display, window, &hint)) {
            QStringList parts{QString::fromLocal8Bit(hint.res_name),
                              QString::fromLocal8Bit(hint.res_class)};
            XFree(hint.res_name);
            XFree(hint.res_class);
            return parts;
        }
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, window, &root, &parent, &children, &count)) {
            break;
        }
        if (children) {
            XFree(children);
        }
        if (parent == root) {
            break;
        }
        window = parent;
    }
    return {};
}

void X11KeyEvents::holdExactly(KeyModifiers wanted) {
    Display* display = connection_->display();
    char keys[32] = {};
    XQueryKeymap(display, keys);
    // Releases first (in reverse order), then presses: Control, Shift, Alt, Super.
    for (auto key = kModifierKeys.crbegin(); key != kModifierKeys.crend(); ++key) {
        if (wanted.testFlag(key->modifier)) {
            continue;
        }
        for (XKeyCode code : modifierKeyCodes(display, key->mask)) {
            if (isDown(keys, code)) {
                XTestFakeKeyEvent(display, code, False, CurrentTime);
            }
        }
    }
    for (const ModifierKey& key : kModifierKeys) {
        if (!wanted.testFlag(key.modifier)) {
            continue;
        }
        bool held = false;
        for (XKeyCode code : modifierKeyCodes(display, key.mask)) {
            held = held || isDown(keys, code);
        }
        const XKeyCode code = XKeysymToKeycode(display, key.keysym);
        if (!held && code != 0) {
            XTestFakeKeyEvent(display, code, True, CurrentTime);
        }
    }
}

bool X11KeyEvents::postKey(quint16 keyCode, KeyModifiers modifiers, bool down) {
    Display* display = connection_->display();
    if (!hasXTest_) {
        return false;
    }
    const auto xKey = keyMap_.xKeyCode(keyCode);
    if (!xKey) {
        return false;
    }
    if (down) {
        Sent sent{false, modifiers};
        const bool editShortcut = modifiers == KeyModifiers(KeyModifier::Control);
        if (editShortcut &&
            (keyCode == KeyCode::A || keyCode == KeyCode::C || keyCode == KeyCode::V)) {
            const QStringList windowClass = focusedWindowClass();
            const bool terminal =
                isTerminalClass(windowClass.value(0)) || isTerminalClass(windowClass.value(1));
            if (terminal && keyCode == KeyCode::A) {
                // A terminal has no Select All; Control+A would move the cursor.
                sent.suppressed = true;
            } else if (terminal) {
                sent.modifiers |= KeyModifier::Shift;
            }
        }
        down_.insert(keyCode, sent);
        if (sent.suppressed) {
            return true;
        }
        holdExactly(sent.modifiers);
        XTestFakeKeyEvent(display, *xKey, True, CurrentTime);
    } else {
        const Sent sent = down_.take(keyCode);
        if (sent.suppressed) {
            return true;
        }
        XTestFakeKeyEvent(display, *xKey, False, CurrentTime);
        // Let go of what the shortcut held; the user's own keys were released before it.
        holdExactly(KeyModifiers());
    }
    XFlush(display);
    return true;
}

KeyModifiers X11KeyEvents::heldModifiers() const {
    Display* display = connection_->display();
    KeyModifiers held;
    if (!display) {
        return held;
    }
    XkbStateRec state;
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success) {
        return held;
    }
    const unsigned mods = state.base_mods | state.latched_mods;
    for (const ModifierKey& key : kModifierKeys) {
        if (mods & key.mask) {
            held |= key.modifier;
        }
    }
    return held;
}
