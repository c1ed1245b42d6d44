#include "platform/x11/X11HotKeyRegistry.h"

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11HotKeyReader.h"
#include "platform/x11/X11KeyMap.h"

#include "platform/x11/Xlib.h"

namespace {
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
    if (connection_->display()) {
        reader_ = std::make_unique<X11HotKeyReader>(
            &context_,
            [this](unsigned keycode, unsigned modifiers) { onPress(keycode, modifiers); });
    }
}

X11HotKeyRegistry::~X11HotKeyRegistry() = default;

int X11HotKeyRegistry::installHandler(PressHandler handler) {
    handler_ = std::move(handler);
    return 0;
}

void X11HotKeyRegistry::removeHandler() {
    handler_ = nullptr;
}

int X11HotKeyRegistry::registerHotKey(HotKeyId id, quint16 keyCode, quint32 modifiers) {
    if (!reader_ || !reader_->isOpen()) {
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
    if (!reader_->grab(registration.xKeyCode, registration.xModifiers)) {
        return kKeysTaken;
    }
    registrations_.append(registration);
    return 0;
}

void X11HotKeyRegistry::unregisterHotKey(HotKeyId id) {
    for (int i = 0; i < registrations_.size(); ++i) {
        if (registrations_[i].id == id) {
            reader_->ungrab(registrations_[i].xKeyCode, registrations_[i].xModifiers);
            registrations_.removeAt(i);
            return;
        }
    }
}

void X11HotKeyRegistry::onPress(unsigned keycode, unsigned modifiers) {
    for (const Registration& registration : registrations_) {
        if (registration.xKeyCode == keycode && registration.xModifiers == modifiers) {
            if (handler_) {
                handler_(registration.id);
            }
            return;
        }
    }
}
