#pragma once

#include <QMap>

#include "platform/EventMonitors.h"

// Event monitors of a simulated desktop; a test sends events with the emit functions.
class SimulatedEventMonitors : public EventMonitors {
public:
    MonitorId addGlobalMonitor(quint32 mask, Handler handler) override;
    MonitorId addLocalMonitor(quint32 mask, Handler handler) override;
    MonitorId addGlobalEventMonitor(quint32 mask, EventHandler handler) override;
    MonitorId addLocalEventMonitor(quint32 mask, EventHandler handler) override;
    void removeMonitor(MonitorId id) override;

    // An event in another application (global monitors see it).
    void emitGlobal(quint32 kind);
    // An event in one of this application's windows (local monitors see it).
    void emitLocal(quint32 kind);
    // The same with the window it is aimed at and, for keys, the neutral key code.
    void emitLocal(quint32 kind, QWindow* window, int keyCode = -1);

    int globalCount() const;
    int localCount() const;

private:
    struct Monitor {
        bool global = false;
        quint32 mask = 0;
        EventHandler handler;
    };
    MonitorId add(bool global, quint32 mask, EventHandler handler);
    void emitTo(bool global, const MonitoredEventInfo& event);
    QMap<MonitorId, Monitor> monitors_;
    MonitorId nextId_ = 1;
};
