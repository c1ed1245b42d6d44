#include "capture/SelectionTriggerService.h"

#include <QPointer>

#include "base/Async.h"
#include "base/Text.h"
#include "capture/CaptureAppState.h"
#include "capture/PanelHandles.h"
#include "capture/SelectionCapture.h"
#include "core/NiveloSettings.h"
#include "platform/Clock.h"
#include "platform/Workspace.h"

namespace {
bool triggerIsOff(const NiveloSettings& settings) {
    return !settings.autoQuickMenuEnabled && !settings.floatingButtonVisible;
}
}  // namespace

SelectionTriggerService::SelectionTriggerService(Dependencies dependencies, QObject* parent)
    : QObject(parent), deps_(dependencies) {}

void SelectionTriggerService::start(CaptureAppState* appState, QuickPanelHandle* quickPanel,
                                    FloatingButtonHandle* floatingButton) {
    if (localMonitor_ || globalMouseMonitor_ || globalKeyMonitor_) {
        return;
    }
    appState_ = appState;
    quickPanel_ = quickPanel;
    floatingButton_ = floatingButton;

    QPointer<SelectionTriggerService> self(this);
    const auto handler = [self](quint32 kind) {
        // The key events of our own Copy and Paste are not the user's: taken as such, every
        // read would start the next one.
        if (self &&
            !(kind == MonitoredEvent::KeyUp && self->deps_.capture.ownKeyEventsMayArrive())) {
            self->onMonitoredEvent();
        }
    };
    localMonitor_ = deps_.monitors.addLocalMonitor(
        MonitoredEvent::LeftMouseUp | MonitoredEvent::KeyUp, handler);
    globalMouseMonitor_ = deps_.monitors.addGlobalMonitor(MonitoredEvent::LeftMouseUp, handler);
    globalKeyMonitor_ = deps_.monitors.addGlobalMonitor(MonitoredEvent::KeyUp, handler);

    if (appState_) {
        settingsSubscription_ = appState_->subscribeSettings([self](const NiveloSettings& s) {
            if (self && triggerIsOff(s) && self->floatingButton_) {
                self->floatingButton_->hide();
            }
        });
    }
}

void SelectionTriggerService::onMonitoredEvent() {
    QPointer<SelectionTriggerService> self(this);
    launchLater(this, [self] {
        if (self) {
            self->scheduleSelectionCheck();
        }
    });
}

void SelectionTriggerService::scheduleSelectionCheck() {
    if (!appState_) {
        return;
    }
    if (triggerIsOff(appState_->settings())) {
        if (floatingButton_) {
            floatingButton_->hide();
        }
        return;
    }
    if (checkToken_) {
        checkToken_->cancel();
    }
    CancelToken token;
    checkToken_ = token;
    delayedCheck(QPointer<SelectionTriggerService>(this), token);
}

QCoro::Task<> SelectionTriggerService::delayedCheck(QPointer<SelectionTriggerService> self,
                                                    CancelToken token) {
    co_await self->deps_.clock.sleep(checkDelayMs, token);
    if (token.isCancelled() || !self) {
        co_return;
    }
    co_await self->checkSelection();
}

QCoro::Task<> SelectionTriggerService::checkSelection() {
    QPointer<SelectionTriggerService> self(this);
    if (!appState_ || !quickPanel_ || !floatingButton_) {
        co_return;
    }
    if (triggerIsOff(appState_->settings())) {
        floatingButton_->hide();
        co_return;
    }
    if (isNiveloFrontmost() || quickPanel_->isPanelVisible()) {
        co_return;
    }
    SelectionCapture& capture = deps_.capture;
    capture.rememberFrontmostApplication();

    QString selected = text::trimmed(capture.peekSelectedTextViaAccessibility());
    if (selected.isEmpty()) {
        try {
            const QString copied = co_await capture.readSelectedTextTransient(
                false, false, PasteboardTiming::standard());
            selected = text::trimmed(copied);
        } catch (...) {
            selected.clear();  // a failed read is no selection
        }
        if (!self || !appState_ || !quickPanel_ || !floatingButton_) {
            co_return;
        }
    }

    if (selected.isEmpty()) {
        floatingButton_->hide();
        lastSelectionSignature_.clear();
        co_return;
    }

    const QString signature =
        QString::number(capture.rememberedProcessIdentifier().value_or(0)) + u':' + selected;
    const qint64 now = deps_.clock.nowMs();
    if (signature == lastSelectionSignature_ && lastShownAtMs_ &&
        now - *lastShownAtMs_ < repeatWindowMs) {
        co_return;
    }
    lastSelectionSignature_ = signature;
    lastShownAtMs_ = now;

    const NiveloSettings& settings = appState_->settings();
    if (settings.autoQuickMenuEnabled) {
        floatingButton_->hide();
        quickPanel_->show();
    } else if (settings.floatingButtonVisible) {
        floatingButton_->show();
    }
}

bool SelectionTriggerService::isNiveloFrontmost() const {
    const auto frontmost = deps_.workspace.frontmostApplication();
    if (!frontmost) {
        return false;
    }
    if (frontmost->processIdentifier == deps_.workspace.ownProcessIdentifier()) {
        return true;
    }
    // Our own identifier is "ai.nivelo.native" in every build; the desktop edition is ours too.
    return frontmost->bundleIdentifier == QLatin1String("ai.nivelo.native") ||
           frontmost->bundleIdentifier == QLatin1String("ai.nivelo.desktop");
}
