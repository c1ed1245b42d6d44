#include "support/SimulatedEventMonitors.h"

EventMonitors::MonitorId SimulatedEventMonitors::addGlobalMonitor(quint32 mask, Handler handler) {
    monitors_.insert(nextId_, {true, mask, std::move(handler)});
    return nextId_++;
}

EventMonitors::MonitorId SimulatedEventMonitors::addLocalMonitor(quint32 mask, Handler handler) {
    monitors_.insert(nextId_, {false, mask, std::move(handler)});
    return nextId_++;
}

void SimulatedEventMonitors::removeMonitor(MonitorId id) {
    monitors_.remove(id);
}

void SimulatedEventMonitors::emitGlobal(quint32 kind) {
    emitTo(true, kind);
}

void SimulatedEventMonitors::emitLocal(quint32 kind) {
    emitTo(false, kind);
}

void SimulatedEventMonitors::emitTo(bool global, quint32 kind) {
    const auto snapshot = monitors_;  // a handler may add or remove monitors
    for (const Monitor& m : snapshot) {
        if (m.global == global && (m.mask & kind)) {
            m.handler(kind);
        }
    }
}

int SimulatedEventMonitors::globalCount() const {
    int n = 0;
    for (const Monitor& m : monitors_) {
        n += m.global ? 1 : 0;
    }
    return n;
}

int SimulatedEventMonitors::localCount() const {
    return int(monitors_.size()) - globalCount();
}
