#include "platform/x11/X11HotKeyRegistry.h"

#include <QMetaObject>
#include <QPointer>

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11KeyMap.h"

#include "platform/x11/Xlib.h"

namespace {
// The modifiers a hot key can carry.
constexpr unsigned kHotKeyModifiers = ShiftMask | ControlMask | Mod1Mask | Mod4Mask;

unsigned xModifiersOf(quint32 modifiers) {
    unsigned mask = 0;
    if (modifiers & HotKeyModifier::Shift) {
        mask |= ShiftMask;
    }
    if (modifiers & HotKeyModifier::Control) {
        mask |= ControlMask;
    }
    if (modifiers & HotKeyModifier::Option) {
        mask |= Mod1Mask;
    }
    if (modifiers & HotKeyModifier::Command) {
        mask |= Mod4Mask;
    }
    return mask;
}
}  // namespace

X11HotKeyRegistry::X11HotKeyRegistry(std::shared_ptr<X11Connection> connection)
    : connection_(std::move(connection)), keyMap_(connection_->keyMap()) {
    Display* display = connection_->display();
    if (!display) {
        return;
    }
    Bool supported = False;
    XkbSetDetectableAutoRepeat(display, True, &supported);
    // Key releases go to the focused window once the grab has ended; raw events still tell us.
    connection_->wantRawEvent(XI_RawKeyRelease, true);
    XFlush(display);
    listener_ = connection_->addListener([this](XEvent& event) { onEvent(&event); });
}

X11HotKeyRegistry::~X11HotKeyRegistry() {
    connection_->removeListener(listener_);
    if (connection_->display()) {
        connection_->wantRawEvent(XI_RawKeyRelease, false);
    }
    for (const Registration& registration : registrations_) {
        grab(registration, false, nullptr);
    }
    if (connection_->display()) {
        XUngrabKeyboard(connection_->display(), CurrentTime);
        XFlush(connection_->display());
    }
}

int X11HotKeyRegistry::installHandler(PressHandler handler) {
    handler_ = std::move(handler);
    return 0;
}

void X11HotKeyRegistry::removeHandler() {
    handler_ = nullptr;
}

unsigned X11HotKeyRegistry::lockMask(const char* keysymName) const {
    Display* display = connection_->display();
    const XKeyCode code = XKeysymToKeycode(display, XStringToKeysym(keysymName));
    if (code == 0) {
        return 0;
    }
    unsigned mask = 0;
    XModifierKeymap* map = XGetModifierMapping(display);
    for (int modifier = 0; map && modifier < 8; ++modifier) {
        for (int i = 0; i < map->max_keypermod; ++i) {
            if (map->modifiermap[modifier * map->max_keypermod + i] == code) {
                mask |= 1u << modifier;
            }
        }
    }
    if (map) {
        XFreeModifiermap(map);
    }
    return mask;
}

void X11HotKeyRegistry::grab(const Registration& registration, bool on, bool* refused) {
    Display* display = connection_->display();
    if (!display) {
        return;
    }
    const unsigned numLock = lockMask("Num_Lock");
    const QList<unsigned> variants{0u, unsigned(LockMask), numLock, LockMask | numLock};
    const Window root = DefaultRootWindow(display);
    const bool failed = connection_->failsWithError([&] {
        for (unsigned variant : variants) {
            if (on) {
                // The keyboard waits at the press until we have taken or ended the grab.
                XGrabKey(display, int(registration.xKeyCode), registration.xModifiers | variant,
                         root, False, GrabModeAsync, GrabModeSync);
            } else {
                XUngrabKey(display, int(registration.xKeyCode), registration.xModifiers | variant,
                           root);
            }
        }
    });
    if (refused) {
        *refused = failed;
    }
}

int X11HotKeyRegistry::registerHotKey(HotKeyId id, quint16 keyCode, quint32 modifiers) {
    if (!connection_->display()) {
        return kNoDisplay;
    }
    const auto xKey = keyMap_.xKeyCode(keyCode);
    if (!xKey) {
        return kInvalidKey;
    }
    const Registration registration{id, *xKey, xModifiersOf(modifiers)};
    for (const Registration& existing : registrations_) {
        if (existing.xKeyCode == registration.xKeyCode &&
            existing.xModifiers == registration.xModifiers) {
            return kKeysTaken;
        }
    }
    bool refused = false;
    grab(registration, true, &refused);
    if (refused) {
        // Some variants may have been taken before the refusal: give them back.
        grab(registration, false, nullptr);
        return kKeysTaken;
    }
    registrations_.append(registration);
    return 0;
}

void X11HotKeyRegistry::unregisterHotKey(HotKeyId id) {
    for (int i = 0; i < registrations_.size(); ++i) {
        if (registrations_[i].id == id) {
            grab(registrations_[i], false, nullptr);
            registrations_.removeAt(i);
            return;
        }
    }
}

bool X11HotKeyRegistry::modifiersHeld() const {
    XkbStateRec state;
    const Status status = XkbGetState(connection_->display(), XkbUseCoreKbd, &state);
    connection_->noteRoundTrip();
    return status == Success && (state.base_mods & kHotKeyModifiers) != 0;
}

void X11HotKeyRegistry::holdKeyboard(bool hold) {
    Display* display = connection_->display();
    const bool held =
        hold && XGrabKeyboard(display, DefaultRootWindow(display), False, GrabModeAsync,
                              GrabModeAsync, CurrentTime) == GrabSuccess;
    if (hold) {
        connection_->noteRoundTrip();
    }
    if (!held) {
        XUngrabKeyboard(display, CurrentTime);
    }
    XFlush(display);
}

void X11HotKeyRegistry::onEvent(void* raw) {
    XEvent& event = *static_cast<XEvent*>(raw);
    if (event.type == GenericEvent && event.xcookie.extension == connection_->xinputOpcode() &&
        event.xcookie.evtype == XI_RawKeyRelease && event.xcookie.data) {
        const auto* rawEvent = static_cast<const XIRawEvent*>(event.xcookie.data);
        down_.remove(unsigned(rawEvent->detail));
        return;
    }
    if (event.type == KeyRelease) {
        // Only a grab of ours brings key events: it ends once the last modifier is up.
        down_.remove(event.xkey.keycode);
        if (!modifiersHeld()) {
            holdKeyboard(false);
        }
        return;
    }
    if (event.type != KeyPress) {
        return;
    }
    // The press froze the keyboard. While a modifier is held the grab goes on (and no longer
    // ends with the key's release), so that the modifier's release comes to us: the focused
    // window, which saw the modifier go down, must not see it come up with no key between, or
    // a Qt or KDE menu bar takes the keyboard. Without a modifier the grab ends here.
    holdKeyboard((event.xkey.state & kHotKeyModifiers) != 0);
    const unsigned code = event.xkey.keycode;
    if (down_.contains(code)) {
        return;  // auto-repeat of a key still held
    }
    const unsigned numLock = lockMask("Num_Lock");
    const unsigned modifiers = event.xkey.state & ~(LockMask | numLock) & kHotKeyModifiers;
    for (const Registration& registration : registrations_) {
        if (registration.xKeyCode == code && registration.xModifiers == modifiers) {
            if (connection_->xinputOpcode() >= 0) {
                down_.insert(code);
            }
            {
                // Delivered from the event loop, never from inside a registration call.
                const HotKeyId id = registration.id;
                QMetaObject::invokeMethod(
                    &context_,
                    [this, id] {
                        if (handler_) {
                            handler_(id);
                        }
                    },
                    Qt::QueuedConnection);
            }
            return;
        }
    }
}
