#pragma once

#include <QCoro/QCoroTask>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <optional>

#include "core/NiveloSettings.h"
#include "platform/CancelToken.h"
#include "updates/AppUpdateSnapshot.h"

class AppUpdateChecker;
class Clock;
class Defaults;
class NiveloAppState;
class Workspace;

// Decides when the update endpoint is asked: once at launch, then by a 6-hour timer that
// checks at most once a day, and on the user's demand. Publishes what the last check learned,
// the status line and the alert text of the updates page, announces each new build once and
// opens the download. One check runs at a time; a check that overlaps another has no effect.
// Every published property has one change signal, emitted after every assignment.
class AppUpdateManager : public QObject {
    Q_OBJECT
public:
    struct Dependencies {
        Clock& clock;
        Defaults& defaults;
        Workspace& workspace;
    };

    static constexpr qint64 kTimerIntervalMs = 6 * 3600 * 1000;
    // Timer checks come at least this long after the last successful one.
    static constexpr qint64 kAutomaticCheckGapMs = 24 * 3600 * 1000;
    static inline const QString kLastAutomaticCheckKey =
        QStringLiteral("nivelo.updates.lastAutomaticCheckAt");
    static inline const QString kLastNotifiedBuildKey =
        QStringLiteral("nivelo.updates.lastNotifiedBuild");

    // Reads the last announced build; checks nothing and starts no timer.
    AppUpdateManager(Dependencies dependencies, std::shared_ptr<AppUpdateChecker> client,
                     QObject* parent = nullptr);
    ~AppUpdateManager() override;

    const AppUpdateSnapshot& snapshot() const { return snapshot_; }
    bool isChecking() const { return isChecking_; }
    const std::optional<QString>& message() const { return message_; }
    const std::optional<QString>& alertMessage() const { return alertMessage_; }
    // The page clears the alert when the user dismisses it.
    void setAlertMessage(const std::optional<QString>& text);
    qint64 lastNotifiedBuild() const { return lastNotifiedBuild_; }

    // The launch check on the next event-loop turn (when automatic checks are on) and the
    // 6-hour timer; a later call replaces both. The state is held weakly.
    void startAutomaticChecks(NiveloAppState* appState);
    // The timer's check: nothing when automatic checks are off or the last successful timer
    // check is less than 24 hours old.
    QCoro::Task<> checkAutomaticallyIfNeeded(NiveloSettings settings);
    // The page's button: starts a check and returns at once.
    void checkManually(const NiveloSettings& settings);
    // Opens the snapshot's download address with the desktop's handler.
    void openDownload();

Q_SIGNALS:
    void snapshotChanged(const AppUpdateSnapshot& snapshot);
    void isCheckingChanged(bool checking);
    void messageChanged(const std::optional<QString>& message);
    void alertMessageChanged(const std::optional<QString>& message);

private:
    // What started a check: the launch, the timer or the page's button.
    enum class CheckTrigger { launch, automatic, manual };

    void setSnapshot(const AppUpdateSnapshot& snapshot);
    void setChecking(bool checking);
    void setMessage(const std::optional<QString>& text);
    void armTimer(QPointer<NiveloAppState> appState);
    void handleCheckResult(const AppUpdateSnapshot& snapshot, const NiveloSettings& settings,
                           CheckTrigger trigger);

    static QCoro::Task<> checkForUpdates(QPointer<AppUpdateManager> self, NiveloSettings settings,
                                         CheckTrigger trigger);

    Dependencies deps_;
    // Shared with the checks under way, which may outlive the manager.
    std::shared_ptr<AppUpdateChecker> client_;
    AppUpdateSnapshot snapshot_;
    bool isChecking_ = false;
    std::optional<QString> message_;
    std::optional<QString> alertMessage_;
    CancelToken launchToken_;
    quint64 timerCall_ = 0;
    qint64 lastNotifiedBuild_ = 0;
};
