#pragma once

#include <QPointer>
#include <QWindow>
#include <QtGlobal>
#include <functional>

// Kinds of user input an event monitor can watch; a mask is their bitwise or.
namespace MonitoredEvent {
constexpr quint32 LeftMouseUp = 1u << 0;
constexpr quint32 KeyUp = 1u << 1;
constexpr quint32 LeftMouseDown = 1u << 2;
constexpr quint32 RightMouseDown = 1u << 3;
// The middle button and the extra ones; the wheel is no click.
constexpr quint32 OtherMouseDown = 1u << 4;
constexpr quint32 KeyDown = 1u << 5;
constexpr quint32 AnyMouseDown = LeftMouseDown | RightMouseDown | OtherMouseDown;
}  // namespace MonitoredEvent

// One watched event and what is known of it.
struct MonitoredEventInfo {
    quint32 kind = 0;
    // Local events: the window of ours it is aimed at (null for global ones).
    QPointer<QWindow> window;
    // Local key events: the neutral key code (KeyCode::Escape ...), -1 when the key has none.
    int keyCode = -1;
};

// Watches mouse and key events without taking them away from their receiver.
class EventMonitors {
public:
    // Receives the kind of event (one MonitoredEvent bit).
    using Handler = std::function<void(quint32 kind)>;
    // Receives the event with its window and key.
    using EventHandler = std::function<void(const MonitoredEventInfo& event)>;
    using MonitorId = quint64;

    virtual ~EventMonitors() = default;

    // Events aimed at other applications. Returns an id for removeMonitor (never 0).
    virtual MonitorId addGlobalMonitor(quint32 mask, Handler handler) = 0;
    // Events aimed at this application's own windows; they still reach their receiver.
    virtual MonitorId addLocalMonitor(quint32 mask, Handler handler) = 0;
    // The same two, with the event's details.
    virtual MonitorId addGlobalEventMonitor(quint32 mask, EventHandler handler) = 0;
    virtual MonitorId addLocalEventMonitor(quint32 mask, EventHandler handler) = 0;
    virtual void removeMonitor(MonitorId id) = 0;
};
