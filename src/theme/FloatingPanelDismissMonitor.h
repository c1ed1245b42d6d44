#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/EventMonitors.h"

// Closes a floating panel on Escape or on a click anywhere outside it, in this application or
// another one. It hides nothing itself: it calls its owner's onDismiss. Events are never
// delayed or taken: the decisions run on the next event-loop turn. Key presses that go to
// another application are not watched, so Escape typed there leaves the panel open.
class FloatingPanelDismissMonitor : public QObject {
    Q_OBJECT
public:
    FloatingPanelDismissMonitor(QWidget* panel, EventMonitors& monitors,
                                std::function<void()> onDismiss, QObject* parent = nullptr);
    // Removes its monitors too.
    ~FloatingPanelDismissMonitor() override;

    // Watches from now on; a second install replaces the first.
    void install();
    // Stops watching; does nothing when not watching.
    void remove();
    bool isInstalled() const { return localMonitor_ != 0 || globalMonitor_ != 0; }

    // Escape anywhere in the app, or a press in another of its windows, dismisses; keys and
    // clicks in the panel or its popups pass.
    void handleLocalEvent(const MonitoredEventInfo& event);
    // A press in another application.
    void dismissIfVisible();

private:
    bool panelIsVisible() const;
    bool belongsToPanel(const QWindow* window) const;

    QPointer<QWidget> panel_;
    EventMonitors& monitors_;
    std::function<void()> onDismiss_;
    EventMonitors::MonitorId localMonitor_ = 0;
    EventMonitors::MonitorId globalMonitor_ = 0;
};
