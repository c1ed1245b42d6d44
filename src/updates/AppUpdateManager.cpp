#include "updates/AppUpdateManager.h"

#include "base/Async.h"
#include "base/NiveloError.h"
#include "base/Text.h"
#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "platform/Workspace.h"
#include "state/NiveloAppState.h"
#include "updates/AppUpdateChecker.h"

AppUpdateManager::AppUpdateManager(Dependencies dependencies,
                                   std::shared_ptr<AppUpdateChecker> client, QObject* parent)
    : QObject(parent),
      deps_(dependencies),
      client_(std::move(client)),
      lastNotifiedBuild_(deps_.defaults.integerValue(kLastNotifiedBuildKey)) {}

AppUpdateManager::~AppUpdateManager() {
    launchToken_.cancel();
    deps_.clock.cancelCall(timerCall_);
}

void AppUpdateManager::setSnapshot(const AppUpdateSnapshot& snapshot) {
    snapshot_ = snapshot;
    Q_EMIT snapshotChanged(snapshot_);
}

void AppUpdateManager::setChecking(bool checking) {
    isChecking_ = checking;
    Q_EMIT isCheckingChanged(isChecking_);
}

void AppUpdateManager::setMessage(const std::optional<QString>& text) {
    message_ = text;
    Q_EMIT messageChanged(message_);
}

void AppUpdateManager::setAlertMessage(const std::optional<QString>& text) {
    alertMessage_ = text;
    Q_EMIT alertMessageChanged(alertMessage_);
}

void AppUpdateManager::startAutomaticChecks(NiveloAppState* appState) {
    // A launch check that has not begun yet is dropped; one under way runs to its end, and
    // the new launch check then finds it and has no effect.
    launchToken_.cancel();
    launchToken_ = CancelToken();
    QPointer<AppUpdateManager> self(this);
    QPointer<NiveloAppState> state(appState);
    launchLater(this, [self, state, token = launchToken_] {
        if (!self || !state || token.isCancelled() ||
            !state->settings().automaticUpdateChecksEnabled) {
            return;
        }
        checkForUpdates(self, state->settings(), CheckTrigger::launch);
    });
    deps_.clock.cancelCall(timerCall_);
    armTimer(state);
}

void AppUpdateManager::armTimer(QPointer<NiveloAppState> appState) {
    QPointer<AppUpdateManager> self(this);
    timerCall_ = deps_.clock.callAfter(kTimerIntervalMs, [self, appState] {
        if (!self) {
            return;
        }
        self->armTimer(appState);
        if (appState) {
            self->checkAutomaticallyIfNeeded(appState->settings());
        }
    });
}

QCoro::Task<> AppUpdateManager::checkAutomaticallyIfNeeded(NiveloSettings settings) {
    if (!settings.automaticUpdateChecksEnabled) {
        co_return;
    }
    // A stored time in the future holds checks back too, until it lies a day in the past.
    const std::optional<QDateTime> last = deps_.defaults.dateValue(kLastAutomaticCheckKey);
    if (last && last->msecsTo(deps_.clock.currentDateTime()) < kAutomaticCheckGapMs) {
        co_return;
    }
    co_await checkForUpdates(QPointer<AppUpdateManager>(this), std::move(settings),
                             CheckTrigger::automatic);
}

void AppUpdateManager::checkManually(const NiveloSettings& settings) {
    // Runs up to its first pause at once, so the page sees the check under way when this
    // returns.
    checkForUpdates(QPointer<AppUpdateManager>(this), settings, CheckTrigger::manual);
}

QCoro::Task<> AppUpdateManager::checkForUpdates(QPointer<AppUpdateManager> self,
                                                NiveloSettings settings, CheckTrigger trigger) {
    if (!self || self->isChecking_) {
        co_return;
    }
    self->setChecking(true);
    self->setMessage(std::nullopt);
    if (trigger == CheckTrigger::manual) {
        self->setAlertMessage(std::nullopt);
    }
    const std::shared_ptr<AppUpdateChecker> client = self->client_;
    std::optional<AppUpdateSnapshot> result;
    QString failure;
    try {
        result = co_await client->check(settings.uiLanguage);
    } catch (const std::exception& e) {
        failure = errorDescription(e);
    } catch (...) {
        failure = QStringLiteral("The operation could not be completed.");
    }
    if (!self) {
        co_return;
    }
    if (!result) {
        // The snapshot keeps what the last successful check learned; no time is stored, so
        // the next timer firing tries again.
        self->setChecking(false);
        self->setMessage(failure);
        if (trigger == CheckTrigger::manual) {
            self->setAlertMessage(failure);
        }
        co_return;
    }
    self->setSnapshot(*result);
    self->setChecking(false);
    if (trigger == CheckTrigger::automatic) {
        self->deps_.defaults.setDate(kLastAutomaticCheckKey, self->deps_.clock.currentDateTime());
        self->deps_.defaults.sync();
    }
    self->handleCheckResult(*result, settings, trigger);
}

void AppUpdateManager::handleCheckResult(const AppUpdateSnapshot& snapshot,
                                         const NiveloSettings& settings, CheckTrigger trigger) {
    const UiLanguage language = settings.uiLanguage;
    if (!snapshot.updateAvailable) {
        setMessage(tr2(language, QStringLiteral("NiveloAI is up to date."),
                       QStringLiteral("Установлена актуальная версия NiveloAI.")));
        return;
    }
    const QString version = snapshot.latestVersion.value_or(
        tr2(language, QStringLiteral("new"), QStringLiteral("новая")));
    QString text =
        tr2(language, QStringLiteral("Version ") + version + QStringLiteral(" is available."),
            QStringLiteral("Доступна версия ") + version + u'.');
    // A blank server message would spend the one-time notice on an empty alert.
    if (snapshot.message && !text::trimmed(*snapshot.message).isEmpty()) {
        text = *snapshot.message;
    }
    setMessage(text);

    const bool unannounced = !snapshot.latestBuild || lastNotifiedBuild_ < *snapshot.latestBuild;
    if (!snapshot.forceUpdate && trigger != CheckTrigger::manual &&
        !(settings.updateNotificationsEnabled && unannounced)) {
        return;
    }
    setAlertMessage(text);
    if (snapshot.latestBuild) {
        // Also when it lowers the number: the server's newest build is the one announced.
        lastNotifiedBuild_ = *snapshot.latestBuild;
        deps_.defaults.setInteger(kLastNotifiedBuildKey, lastNotifiedBuild_);
        deps_.defaults.sync();
    }
}

void AppUpdateManager::openDownload() {
    if (!snapshot_.downloadURL) {
        setMessage(QStringLiteral("Update download URL is not available."));
        return;
    }
    if (!deps_.workspace.openUrl(*snapshot_.downloadURL)) {
        const QString text = QStringLiteral("Could not open update download.");
        setMessage(text);
        setAlertMessage(text);
    }
}
