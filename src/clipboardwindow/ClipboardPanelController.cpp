#include "clipboardwindow/ClipboardPanelController.h"

#include <QVBoxLayout>
#include <algorithm>

#include "base/NiveloError.h"
#include "capture/FocusService.h"
#include "capture/PasteboardService.h"
#include "capture/PasteboardTiming.h"
#include "clipboard/ClipboardHistoryService.h"
#include "clipboardwindow/ClipboardHistoryPanel.h"
#include "clipboardwindow/ClipboardWindowModel.h"
#include "core/NiveloSettings.h"
#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "platform/Pasteboard.h"
#include "platform/Workspace.h"
#include "state/NiveloAppState.h"
#include "theme/FloatingPanelDismissMonitor.h"

ClipboardPanelController::ClipboardPanelController(Dependencies dependencies, QObject* parent)
    : QObject(parent), deps_(dependencies) {}

ClipboardPanelController::~ClipboardPanelController() {
    dismissMonitor_.reset();
    panel_.reset();
    model_.reset();
}

void ClipboardPanelController::attach(NiveloAppState* appState) {
    appState_ = appState;
    if (!appState) {
        return;
    }
    appearanceMode_ = appState->settings().appearanceMode;
    uiLanguage_ = appState->settings().uiLanguage;
    surfaceMode_ = appState->systemSurfaceMode();
    QPointer<ClipboardPanelController> self(this);
    settingsSubscription_ =
        subscribe(appState, &NiveloAppState::settingsChanged, &NiveloAppState::settings,
                  [self](const NiveloSettings& settings) {
                      if (self) {
                          self->appearanceMode_ = settings.appearanceMode;
                          self->uiLanguage_ = settings.uiLanguage;
                          self->applyAppearance();
                      }
                  });
    surfaceSubscription_ = subscribe(appState, &NiveloAppState::systemSurfaceModeChanged,
                                     &NiveloAppState::systemSurfaceMode, [self](SurfaceMode mode) {
                                         if (self) {
                                             self->surfaceMode_ = mode;
                                             self->applyAppearance();
                                         }
                                     });
    applyAppearance();
}

void ClipboardPanelController::syncAppearanceFromSettings() {
    if (!appState_) {
        return;
    }
    appearanceMode_ = appState_->settings().appearanceMode;
    uiLanguage_ = appState_->settings().uiLanguage;
    surfaceMode_ = appState_->systemSurfaceMode();
    applyAppearance();
}

void ClipboardPanelController::applyAppearance() {
    if (model_) {
        model_->setLanguage(uiLanguage_);
    }
    Q_EMIT appearanceChanged();
}

QSize ClipboardPanelController::savedPanelSize() const {
    if (!deps_.defaults) {
        return kDefaultSize;
    }
    const double width = deps_.defaults->doubleValue(kWidthKey);
    const double height = deps_.defaults->doubleValue(kHeightKey);
    if (!(width >= kMinimumWidth && height >= kMinimumHeight)) {
        return kDefaultSize;
    }
    return {int(std::min(width, double(kMaximumSavedWidth))),
            int(std::min(height, double(kMaximumSavedHeight)))};
}

void ClipboardPanelController::savePanelSize(QSize size) {
    if (!deps_.defaults) {
        return;
    }
    deps_.defaults->setDouble(kWidthKey, std::max(size.width(), kMinimumWidth));
    deps_.defaults->setDouble(kHeightKey, std::max(size.height(), kMinimumHeight));
}

void ClipboardPanelController::createPanel() {
    model_ = std::make_unique<ClipboardWindowModel>(deps_.history, deps_.notes, deps_.defaults);
    model_->setLanguage(uiLanguage_);
    panel_ = std::make_unique<PanelWindow>(PanelWindow::Kind::typing, deps_.environment);
    panel_->setWindowTitle(QStringLiteral("NiveloAI Clipboard"));
    panel_->setResizable(true);
    panel_->setPanelMinimumSize({kMinimumWidth, kMinimumHeight});
    panel_->setWantedSize(savedPanelSize());
    view_ = new ClipboardHistoryPanel(*this, *model_, panel_->surface());
    auto* layout = new QVBoxLayout(panel_->surface());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    connect(panel_.get(), &PanelWindow::userResized, this,
            [this](QSize resized) { savePanelSize(resized); });
    connect(panel_.get(), &PanelWindow::closeRequested, this, [this] { hide(); });
    if (deps_.monitors) {
        dismissMonitor_ = std::make_unique<FloatingPanelDismissMonitor>(
            panel_.get(), *deps_.monitors, [this] { hide(); });
    }
    applyAppearance();
}

void ClipboardPanelController::positionNearMouse() {
    if (panel_ && deps_.screens) {
        panel_->placeNearMouse(*deps_.screens);
    }
}

void ClipboardPanelController::show() {
    deps_.focus.rememberFrontmostApplication();
    pasteTargetBundleIdentifier_ = deps_.focus.rememberedBundleIdentifier();
    pasteTargetProcessIdentifier_ = deps_.focus.rememberedProcessIdentifier();
    syncAppearanceFromSettings();
    if (!panel_) {
        createPanel();
        positionNearMouse();
    } else if (!panel_->isVisible()) {
        positionNearMouse();
    }
    if (dismissMonitor_) {
        dismissMonitor_->remove();
        dismissMonitor_->install();
    }
    const bool wasVisible = panel_->isVisible();
    panel_->show();
    panel_->raise();
    if (!wasVisible) {
        model_->appear();
    }
}

void ClipboardPanelController::toggle() {
    // A window shown behind other windows is shown to the user, not hidden.
    if (panel_ && panel_->isSeen()) {
        hide();
    } else {
        show();
    }
}

void ClipboardPanelController::hide() {
    if (dismissMonitor_) {
        dismissMonitor_->remove();
    }
    if (panel_) {
        panel_->hide();
    }
}

bool ClipboardPanelController::isPanelVisible() const {
    return panel_ && panel_->isVisible();
}

bool ClipboardPanelController::hasDismissMonitors() const {
    return dismissMonitor_ && dismissMonitor_->isInstalled();
}

void ClipboardPanelController::pasteFromHistory(const QString& text) {
    const std::optional<QString> bundle = pasteTargetBundleIdentifier_;
    const std::optional<qint64> process = pasteTargetProcessIdentifier_;
    hide();
    paste(QPointer<ClipboardPanelController>(this), text, bundle, process);
}

QCoro::Task<> ClipboardPanelController::paste(QPointer<ClipboardPanelController> self, QString text,
                                              std::optional<QString> bundleIdentifier,
                                              std::optional<qint64> processIdentifier) {
    // The window is gone from the screen before the target is brought forward.
    const bool waited = co_await self->deps_.clock.sleep(kPasteDelayMs);
    Q_UNUSED(waited);
    if (!self) {
        co_return;
    }
    PasteboardService& service = self->deps_.pasteService;
    // The process the window was opened from, while it runs: another window of the same
    // application (a second terminal, editor) is another process.
    bool processRuns = false;
    if (processIdentifier) {
        for (const RunningApplication& app : self->deps_.workspace.runningApplications()) {
            processRuns = processRuns || app.processIdentifier == *processIdentifier;
        }
    }
    try {
        if (processRuns) {
            QCoro::Task<> task = service.pasteTransient(
                text, FocusTarget{*processIdentifier, bundleIdentifier.value_or(QString())},
                PasteboardTiming::standard());
            co_await std::move(task);
        } else {
            QCoro::Task<> task =
                service.pasteTransient(text, bundleIdentifier, PasteboardTiming::standard());
            co_await std::move(task);
        }
        if (self && self->appState_) {
            self->appState_->setStatus(ActionStatus::done(
                tr2(self->uiLanguage_, QStringLiteral("Pasted"), QStringLiteral("Вставлено"))));
        }
    } catch (const std::exception& e) {
        if (self && self->appState_) {
            self->appState_->setStatus(ActionStatus::failed(errorDescription(e)));
        }
    }
}

void ClipboardPanelController::copyNote(const QString& text) {
    deps_.history.suppressCapture(kNoteCopySuppressSeconds);
    deps_.pasteboard.clear();
    deps_.pasteboard.setPlainText(text);
    deps_.history.finishTransientPasteboardUse();
}
