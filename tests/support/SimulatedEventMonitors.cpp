#include "support/SimulatedEventMonitors.h"

EventMonitors::MonitorId SimulatedEventMonitors::addGlobalMonitor(quint32 mask, Handler handler) {
    return add(true, mask, [handler](const MonitoredEventInfo& event) { handler(event.kind); });
}

EventMonitors::MonitorId SimulatedEventMonitors::addLocalMonitor(quint32 mask, Handler handler) {
    return add(false, mask, [handler](const MonitoredEventInfo& event) { handler(event.kind); });
}

EventMonitors::MonitorId SimulatedEventMonitors::addGlobalEventMonitor(quint32 mask,
                                                                       EventHandler handler) {
    return add(true, mask, std::move(handler));
}

EventMonitors::MonitorId SimulatedEventMonitors::addLocalEventMonitor(quint32 mask,
                                                                      EventHandler handler) {
    return add(false, mask, std::move(handler));
}

EventMonitors::MonitorId SimulatedEventMonitors::add(bool global, quint32 mask,
                                                     EventHandler handler) {
    monitors_.insert(nextId_, {global, mask, std::move(handler)});
    return nextId_++;
}

void SimulatedEventMonitors::removeMonitor(MonitorId id) {
    monitors_.remove(id);
}

void SimulatedEventMonitors::emitGlobal(quint32 kind) {
    MonitoredEventInfo event;
    event.kind = kind;
    emitTo(true, event);
}

void SimulatedEventMonitors::emitLocal(quint32 kind) {
    emitLocal(kind, nullptr);
}

void SimulatedEventMonitors::emitLocal(quint32 kind, QWindow* window, int keyCode) {
    MonitoredEventInfo event;
    event.kind = kind;
    event.window = window;
    event.keyCode = keyCode;
    emitTo(false, event);
}

void SimulatedEventMonitors::emitTo(bool global, const MonitoredEventInfo& event) {
    const auto snapshot = monitors_;  // a handler may add or remove monitors
    for (const Monitor& m : snapshot) {
        if (m.global == global && (m.mask & event.kind)) {
            m.handler(event);
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
