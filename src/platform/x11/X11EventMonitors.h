#pragma once

#include <QMap>
#include <QObject>

#include <memory>

#include "platform/EventMonitors.h"

class X11Connection;
class X11KeyMap;

// Global monitors from XInput2 raw events on the root window (seen whatever window gets the
// event), dropped when the event is aimed at one of our own windows: the focus window for
// keys, the window under the pointer for the mouse. Local monitors watch our own windows
// through Qt and leave the events to their receivers.
class X11EventMonitors : public QObject, public EventMonitors {
    Q_OBJECT
public:
    explicit X11EventMonitors(std::shared_ptr<X11Connection> connection, QObject* parent = nullptr);
    ~X11EventMonitors() override;

    MonitorId addGlobalMonitor(quint32 mask, Handler handler) override;
    MonitorId addLocalMonitor(quint32 mask, Handler handler) override;
    MonitorId addGlobalEventMonitor(quint32 mask, EventHandler handler) override;
    MonitorId addLocalEventMonitor(quint32 mask, EventHandler handler) override;
    void removeMonitor(MonitorId id) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Monitor {
        bool global = false;
        quint32 mask = 0;
        EventHandler handler;
    };
    MonitorId add(bool global, quint32 mask, EventHandler handler);
    void onEvent(void* event);
    void deliver(bool global, quint32 kind);
    void deliver(bool global, const MonitoredEventInfo& event);
    void updateSelection();
    // Whether an X window is one of ours or inside one of ours.
    bool isOwnWindow(unsigned long window) const;
    bool focusIsOwn() const;
    bool pointerIsOverOwn() const;

    std::shared_ptr<X11Connection> connection_;
    std::unique_ptr<X11KeyMap> keyMap_;
    int listener_ = 0;
    QMap<MonitorId, Monitor> monitors_;
    MonitorId nextId_ = 1;
    bool filtering_ = false;
    quint32 selected_ = 0;
};
