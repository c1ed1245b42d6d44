#include "platform/x11/X11KeyEvents.h"

#include <QStringList>
#include <array>

#include "platform/Pasteboard.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11HarmlessKey.h"
#include "platform/x11/X11HeldKeys.h"
#include "platform/x11/X11KeyMap.h"
#include "platform/x11/X11PrimarySelection.h"
#include "platform/x11/X11TerminalKeys.h"

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

X11KeyEvents::X11KeyEvents(std::shared_ptr<X11Connection> connection, Pasteboard* clipboard)
    : connection_(std::move(connection)),
      keyMap_(connection_->keyMap()),
      clipboard_(clipboard),
      primary_(std::make_unique<X11PrimarySelection>(connection_)),
      heldKeys_(std::make_unique<X11HeldKeys>(connection_->display())) {
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    hasXTest_ = connection_->display() &&
                XTestQueryExtension(connection_->display(), &event, &error, &major, &minor);
    if (connection_->display()) {
        harmlessKey_ = x11HarmlessKey::find(connection_->display());
    }
}

X11KeyEvents::~X11KeyEvents() = default;

bool X11KeyEvents::canPostEvents() const {
    return hasXTest_;
}

unsigned long X11KeyEvents::focusedWindow() const {
    Window window = None;
    int revert = 0;
    XGetInputFocus(connection_->display(), &window, &revert);
    connection_->noteRoundTrip();
    return window > PointerRoot ? window : None;
}

QStringList X11KeyEvents::windowClass(unsigned long focused) const {
    Display* display = connection_->display();
    QStringList parts;
    // The focus may sit on a child of the client window: walk up to the one with a class. The
    // window may be gone meanwhile.
    connection_->failsWithError([&] {
        Window window = focused;
        for (int depth = 0; depth < 8 && window != None; ++depth) {
            XClassHint hint{};
            if (XGetClassHint(display, window, &hint)) {
                parts = QStringList{QString::fromLocal8Bit(hint.res_name),
                                    QString::fromLocal8Bit(hint.res_class)};
                XFree(hint.res_name);
                XFree(hint.res_class);
                return;
            }
            Window root = None;
            Window parent = None;
            Window* children = nullptr;
            unsigned count = 0;
            if (!XQueryTree(display, window, &root, &parent, &children, &count)) {
                return;
            }
            if (children) {
                XFree(children);
            }
            if (parent == root) {
                return;
            }
            window = parent;
        }
    });
    return parts;
}

bool X11KeyEvents::translateForTerminal(quint16 keyCode, const TerminalKeys& terminal,
                                        unsigned long window, Sent& sent) {
    if (keyCode == KeyCode::A) {
        // A terminal has no Select All; Control+A would move the cursor.
        sent.suppressed = true;
        return true;
    }
    if (keyCode == KeyCode::C && terminal.copy) {
        sent.keyCode = terminal.copy->keyCode;
        sent.modifiers = terminal.copy->modifiers;
        return true;
    }
    if (keyCode == KeyCode::C) {
        // The highlighted text is in PRIMARY: that is the Copy. A terminal with nothing
        // highlighted leaves the clipboard as it is, as a Copy of nothing would.
        sent.suppressed = true;
        if (!clipboard_) {
            return false;
        }
        primary_->copyOwnedByWindowOf(window, *clipboard_);
        return true;
    }
    if (terminal.pastesPrimary) {
        const auto text = clipboard_ ? clipboard_->plainText() : std::nullopt;
        if (!text) {
            return false;
        }
        primary_->lend(*text);
    }
    sent.keyCode = terminal.paste.keyCode;
    sent.modifiers = terminal.paste.modifiers;
    return true;
}

void X11KeyEvents::pressWith(XKeyCode key, KeyModifiers wanted) {
    Display* display = connection_->display();
    char keys[32] = {};
    XQueryKeymap(display, keys);
    connection_->noteRoundTrip();
    QList<unsigned> userKeys;
    QHash<unsigned, unsigned> userKeyMasks;
    QList<XKeyCode> ours;
    for (const ModifierKey& modifier : kModifierKeys) {
        bool held = false;
        for (XKeyCode code : modifierKeyCodes(display, modifier.mask)) {
            held = held || isDown(keys, code);
            if (isDown(keys, code) && !wanted.testFlag(modifier.modifier)) {
                // A key bound to two modifiers is still one key.
                if (!userKeys.contains(code)) {
                    userKeys.append(code);
                }
                userKeyMasks[code] |= modifier.mask;
            }
        }
        const XKeyCode code = XKeysymToKeycode(display, modifier.keysym);
        if (wanted.testFlag(modifier.modifier) && !held && code != 0) {
            ours.append(code);
        }
    }
    // The shortcut's modifiers are down only around its key-down, all in one go: a key the
    // user types meanwhile keeps the user's own modifiers, and those the user holds are held
    // again at once.
    heldKeys_->letGo(userKeys, keys);
    for (XKeyCode code : ours) {
        XTestFakeKeyEvent(display, code, True, CurrentTime);
    }
    XTestFakeKeyEvent(display, key, True, CurrentTime);
    for (auto code = ours.crbegin(); code != ours.crend(); ++code) {
        XTestFakeKeyEvent(display, *code, False, CurrentTime);
    }
    heldKeys_->pressAgain();
    XFlush(display);
    unsigned heldAgain = 0;
    for (unsigned code : heldKeys_->settle()) {
        heldAgain |= userKeyMasks.value(code);
    }
    connection_->noteRoundTrip();
    if (!(heldAgain & Mod1Mask) || harmlessKey_ == 0) {
        return;
    }
    // The focused window saw Alt go down again: a key with it held keeps its release from
    // counting as a tap that opens a Qt or KDE menu bar.
    const unsigned long window = focusedWindow();
    if (window != None) {
        connection_->failsWithError(
            [&] { x11HarmlessKey::send(display, window, harmlessKey_, heldAgain, CurrentTime); });
    }
}

bool X11KeyEvents::keyPending(quint16 keyCode, KeyModifiers modifiers) {
    if (keyCode != KeyCode::V || modifiers != KeyModifiers(KeyModifier::Control) || !clipboard_) {
        return false;
    }
    // A Paste into a terminal that pastes PRIMARY lends it: what another owner holds there is
    // read first, to be given back after.
    const auto terminal = terminalKeysFor(windowClass(focusedWindow()));
    return terminal && terminal->pastesPrimary && primary_->lendPending();
}

bool X11KeyEvents::postKey(quint16 keyCode, KeyModifiers modifiers, bool down) {
    Display* display = connection_->display();
    if (!hasXTest_ || !keyMap_.xKeyCode(keyCode)) {
        return false;
    }
    if (down) {
        Sent sent{false, keyCode, modifiers};
        const bool editShortcut =
            modifiers == KeyModifiers(KeyModifier::Control) &&
            (keyCode == KeyCode::A || keyCode == KeyCode::C || keyCode == KeyCode::V);
        if (editShortcut) {
            const unsigned long window = focusedWindow();
            if (const auto terminal = terminalKeysFor(windowClass(window))) {
                if (!translateForTerminal(keyCode, *terminal, window, sent)) {
                    return false;
                }
            }
        }
        const auto xKey = keyMap_.xKeyCode(sent.keyCode);
        if (!sent.suppressed && !xKey) {
            return false;
        }
        down_.insert(keyCode, sent);
        if (sent.suppressed) {
            return true;
        }
        pressWith(*xKey, sent.modifiers);
    } else {
        // A key-up without its key-down goes out as it is.
        const Sent sent =
            down_.contains(keyCode) ? down_.take(keyCode) : Sent{false, keyCode, modifiers};
        if (sent.suppressed) {
            return true;
        }
        const auto xKey = keyMap_.xKeyCode(sent.keyCode);
        if (!xKey) {
            return false;
        }
        // The shortcut's modifiers went up right after its key-down.
        XTestFakeKeyEvent(display, *xKey, False, CurrentTime);
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
    const Status status = XkbGetState(display, XkbUseCoreKbd, &state);
    connection_->noteRoundTrip();
    if (status != Success) {
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
