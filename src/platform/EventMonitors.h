#pragma once

#include <QtGlobal>
#include <functional>

// Kinds of user input an event monitor can watch; a mask is their bitwise or.
namespace MonitoredEvent {
constexpr quint32 LeftMouseUp = 1u << 0;
constexpr quint32 KeyUp = 1u << 1;
}  // namespace MonitoredEvent

// Watches mouse and key events without taking them away from their receiver.
class EventMonitors {
public:
    // Receives the kind of event (one MonitoredEvent bit).
    using Handler = std::function<void(quint32 kind)>;
    using MonitorId = quint64;

    virtual ~EventMonitors() = default;

    // Events aimed at other applications. Returns an id for removeMonitor (never 0).
    virtual MonitorId addGlobalMonitor(quint32 mask, Handler handler) = 0;
    // Events aimed at this application's own windows; they still reach their receiver.
    virtual MonitorId addLocalMonitor(quint32 mask, Handler handler) = 0;
    virtual void removeMonitor(MonitorId id) = 0;
};
