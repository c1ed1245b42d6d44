#pragma once

#include <QCoro/QCoroTask>
#include <QObject>
#include <QString>
#include <optional>

#include "base/Subscription.h"
#include "platform/CancelToken.h"
#include "platform/EventMonitors.h"

class CaptureAppState;
class Clock;
class FloatingButtonHandle;
class QuickPanelHandle;
class SelectionCapture;
class Workspace;

// Notices a fresh selection in another application (a mouse button or key was released) and
// opens the quick-action panel or shows the floating button near it, as the settings ask.
class SelectionTriggerService : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 checkDelayMs = 230;
    static constexpr qint64 repeatWindowMs = 1000;

    struct Dependencies {
        Clock& clock;
        EventMonitors& monitors;
        Workspace& workspace;
        SelectionCapture& capture;
    };

    explicit SelectionTriggerService(Dependencies dependencies, QObject* parent = nullptr);

    // Installs the event monitors and follows the settings; later calls change nothing.
    void start(CaptureAppState* appState, QuickPanelHandle* quickPanel,
               FloatingButtonHandle* floatingButton);

    // (Re)arms the delayed check: only the last event of a burst leads to one.
    void scheduleSelectionCheck();
    QCoro::Task<> checkSelection();

    // Whether the frontmost application is this one.
    bool isNiveloFrontmost() const;

private:
    void onMonitoredEvent();
    static QCoro::Task<> delayedCheck(QPointer<SelectionTriggerService> self, CancelToken token);

    Dependencies deps_;
    CaptureAppState* appState_ = nullptr;
    QuickPanelHandle* quickPanel_ = nullptr;
    FloatingButtonHandle* floatingButton_ = nullptr;
    std::optional<EventMonitors::MonitorId> localMonitor_;
    std::optional<EventMonitors::MonitorId> globalMouseMonitor_;
    std::optional<EventMonitors::MonitorId> globalKeyMonitor_;
    Subscription settingsSubscription_;
    std::optional<CancelToken> checkToken_;
    QString lastSelectionSignature_;
    std::optional<qint64> lastShownAtMs_;
};
