#include "support/SimulatedHotKeyRegistry.h"

int SimulatedHotKeyRegistry::installHandler(PressHandler handler) {
    if (installStatus != 0) {
        return installStatus;
    }
    handler_ = std::move(handler);
    return 0;
}

void SimulatedHotKeyRegistry::removeHandler() {
    handler_ = nullptr;
}

int SimulatedHotKeyRegistry::registerHotKey(HotKeyId id, quint16 keyCode, quint32 modifiers) {
    ++registerCalls_;
    if (const auto it = refused.constFind({keyCode, modifiers}); it != refused.constEnd()) {
        return *it;
    }
    for (const Registration& r : registrations_) {
        if (r.id == id || (r.keyCode == keyCode && r.modifiers == modifiers)) {
            return -9878;  // already taken, as the system would answer
        }
    }
    registrations_.append({id, keyCode, modifiers});
    return 0;
}

void SimulatedHotKeyRegistry::unregisterHotKey(HotKeyId id) {
    registrations_.removeIf([&](const Registration& r) { return r.id == id; });
}

bool SimulatedHotKeyRegistry::press(quint16 keyCode, quint32 modifiers) {
    for (const Registration& r : registrations_) {
        if (r.keyCode == keyCode && r.modifiers == modifiers && handler_) {
            handler_(r.id);
            return true;
        }
    }
    return false;
}

void SimulatedHotKeyRegistry::pressId(HotKeyId id) {
    if (handler_) {
        handler_(id);
    }
}
