#pragma once

#include <QMap>

#include "platform/EventMonitors.h"

// Event monitors of a simulated desktop; a test sends events with the emit functions.
class SimulatedEventMonitors : public EventMonitors {
public:
    MonitorId addGlobalMonitor(quint32 mask, Handler handler) override;
    MonitorId addLocalMonitor(quint32 mask, Handler handler) override;
    void removeMonitor(MonitorId id) override;

    // An event in another application (global monitors see it).
    void emitGlobal(quint32 kind);
    // An event in one of this application's windows (local monitors see it).
    void emitLocal(quint32 kind);

    int globalCount() const;
    int localCount() const;

private:
    struct Monitor {
        bool global = false;
        quint32 mask = 0;
        Handler handler;
    };
    void emitTo(bool global, quint32 kind);
    QMap<MonitorId, Monitor> monitors_;
    MonitorId nextId_ = 1;
};
