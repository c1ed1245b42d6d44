#include "theme/FloatingPanelDismissMonitor.h"

#include <QTimer>
#include <QWindow>

#include "platform/KeyModifiers.h"

FloatingPanelDismissMonitor::FloatingPanelDismissMonitor(QWidget* panel, EventMonitors& monitors,
                                                         std::function<void()> onDismiss,
                                                         QObject* parent)
    : QObject(parent), panel_(panel), monitors_(monitors), onDismiss_(std::move(onDismiss)) {}

FloatingPanelDismissMonitor::~FloatingPanelDismissMonitor() {
    remove();
}

void FloatingPanelDismissMonitor::install() {
    remove();
    QPointer<FloatingPanelDismissMonitor> self(this);
    localMonitor_ =
        monitors_.addLocalEventMonitor(MonitoredEvent::AnyMouseDown | MonitoredEvent::KeyDown,
                                       [self](const MonitoredEventInfo& event) {
                                           QTimer::singleShot(0, self, [self, event] {
                                               if (self) {
                                                   self->handleLocalEvent(event);
                                               }
                                           });
                                       });
    globalMonitor_ =
        monitors_.addGlobalEventMonitor(MonitoredEvent::AnyMouseDown, [self](const auto&) {
            QTimer::singleShot(0, self, [self] {
                if (self) {
                    self->dismissIfVisible();
                }
            });
        });
}

void FloatingPanelDismissMonitor::remove() {
    if (localMonitor_ != 0) {
        monitors_.removeMonitor(localMonitor_);
        localMonitor_ = 0;
    }
    if (globalMonitor_ != 0) {
        monitors_.removeMonitor(globalMonitor_);
        globalMonitor_ = 0;
    }
}

bool FloatingPanelDismissMonitor::panelIsVisible() const {
    return panel_ && panel_->isVisible();
}

bool FloatingPanelDismissMonitor::belongsToPanel(const QWindow* window) const {
    const QWindow* own = panel_ ? panel_->windowHandle() : nullptr;
    // A popup of the panel (a menu, a list) counts as the panel.
    for (int depth = 0; window && own && depth < 8; ++depth) {
        if (window == own) {
            return true;
        }
        window = window->transientParent();
    }
    return false;
}

void FloatingPanelDismissMonitor::handleLocalEvent(const MonitoredEventInfo& event) {
    if (!panelIsVisible()) {
        return;
    }
    if (event.kind == MonitoredEvent::KeyDown && event.keyCode == KeyCode::Escape) {
        // Escape in an open list or menu of the panel closes only that list.
        const bool inPopup =
            event.window && panel_->windowHandle() != event.window && belongsToPanel(event.window);
        if (!inPopup) {
            onDismiss_();
        }
        return;
    }
    if (belongsToPanel(event.window)) {
        return;
    }
    if (event.kind & MonitoredEvent::AnyMouseDown) {
        onDismiss_();
    }
}

void FloatingPanelDismissMonitor::dismissIfVisible() {
    if (panelIsVisible()) {
        onDismiss_();
    }
}
