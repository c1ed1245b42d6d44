#pragma once

#include <QCoro/QCoroTask>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

#include "capture/CaptureAppState.h"
#include "clipboard/ClipboardSettingsSource.h"
#include "core/AIReplyStyle.h"
#include "core/ActionStatus.h"
#include "core/NiveloSettings.h"
#include "core/PermissionOffers.h"
#include "core/PermissionState.h"
#include "core/PromptStyle.h"
#include "core/QuickAction.h"
#include "core/SettingsPage.h"
#include "core/SurfaceMode.h"
#include "platform/CancelToken.h"
#include "platform/PermissionSettingsTarget.h"

class ClipboardHistoryService;
class Clock;
class InputSources;
class KeyboardLayoutService;
class NativeSettingsStore;
class NiveloCore;
class PasteboardService;
class SaveReport;
class SystemAppearance;
struct FocusTarget;
struct PasteboardTiming;

// The one central state of the app: the settings record (saved whole on every change) and the
// lists mirrored from it, the user-visible status with its return to idle, the surface mode
// the desktop asks for, and the operations the windows, menus and panels call, among them the
// action pipeline run(). Every published property has one change signal, emitted after every
// assignment, changed or not.
class NiveloAppState : public QObject, public CaptureAppState, public ClipboardSettingsSource {
    Q_OBJECT
public:
    struct Dependencies {
        Clock& clock;
        NativeSettingsStore& settingsStore;
        NiveloCore& core;
        PasteboardService& pasteboard;
        // The pipeline's layout fix has a layout service of its own over these.
        InputSources& inputSources;
        ClipboardHistoryService& clipboardHistory;
        SystemAppearance& appearance;
        // Eight characters that make a new style's id; empty: from a fresh UUID.
        std::function<QString()> newIdCharacters = {};
        // A save that cannot be written shows as a failed status.
        SaveReport* saveReport = nullptr;
    };

    static constexpr qint64 kDoneResetMs = 900;
    static constexpr qint64 kFailedResetMs = 1300;
    static constexpr qint64 kSurfacePollMs = 750;
    static constexpr qint64 kPermissionResetPauseMs = 350;

    // Loads the settings; saves nothing and starts no observer.
    explicit NiveloAppState(Dependencies dependencies, QObject* parent = nullptr);
    // Over the process-wide services and the running platform.
    static Dependencies sharedDependencies();
    ~NiveloAppState() override;

    // Published properties.
    SettingsPage selectedSettingsPage() const { return selectedSettingsPage_; }
    void setSelectedSettingsPage(SettingsPage page);
    const QList<QuickAction>& quickActions() const { return quickActions_; }
    QList<PromptStyle> promptStyles() const override { return promptStyles_; }
    QList<AIReplyStyle> aiReplyStyles() const override { return aiReplyStyles_; }
    const ActionStatus& status() const { return status_; }
    // Publishes the status, then schedules its return to idle.
    void setStatus(const ActionStatus& status) override;
    const PermissionState& permissionState() const { return permissionState_; }
    // Fixed for the desktop the app runs on.
    PermissionOffers permissionOffers() const;
    const QString& sampleText() const { return sampleText_; }
    void setSampleText(const QString& text);
    const QString& latestOutput() const { return latestOutput_; }
    const QString& targetLanguage() const { return targetLanguage_; }
    const NiveloSettings& settings() const override { return settings_; }
    // Saves the whole record and republishes the mirrored lists.
    void setSettings(const NiveloSettings& settings);
    // One assignment of some fields: one save, one republication.
    void editSettings(const std::function<void(NiveloSettings&)>& edit);
    SurfaceMode systemSurfaceMode() const { return systemSurfaceMode_; }

    Subscription subscribeSettings(std::function<void(const NiveloSettings&)> fn) override;

    // Resolves the surface mode now; the first call also starts following the desktop.
    void startSystemSurfaceObserver();

    // Runs the action on the selection of the remembered application (pasteResult) or on the
    // sample text; returns at once and reports every stage through the status. A pasting call
    // while another pasting run is under way is ignored; runs on the sample text are never
    // held. The result goes back into the application read from.
    void run(const QuickAction& action, bool pasteResult, bool updateSampleText) override;

    // In the interface language.
    QString title(const QuickAction& action) const;
    QString styleTitle(const PromptStyle& style) const;

    void addPromptStyle();
    void updatePromptStyle(const PromptStyle& style);
    void deletePromptStyle(const PromptStyle& style);
    void addAIReplyStyle();
    void updateAIReplyStyle(const AIReplyStyle& style);
    void deleteAIReplyStyle(const AIReplyStyle& style);

    void clearClipboardHistory();

    // The services the state works with, for the windows that show and use the same ones.
    ClipboardHistoryService& clipboardHistory() const { return deps_.clipboardHistory; }
    PasteboardService& pasteboard() const { return deps_.pasteboard; }
    InputSources& inputSources() const { return deps_.inputSources; }

    // Each returns at once; the work and the publishing follow on later event-loop turns.
    void refreshPermissions();
    void openPermissionSettings(PermissionSettingsTarget target);
    void requestPermissions();
    void resetNiveloPermissions(bool requestAgain);

Q_SIGNALS:
    void selectedSettingsPageChanged(SettingsPage page);
    void quickActionsChanged(const QList<QuickAction>& actions);
    void promptStylesChanged(const QList<PromptStyle>& styles);
    void aiReplyStylesChanged(const QList<AIReplyStyle>& styles);
    void statusChanged(const ActionStatus& status);
    void permissionStateChanged(const PermissionState& state);
    void sampleTextChanged(const QString& text);
    void latestOutputChanged(const QString& text);
    void targetLanguageChanged(const QString& language);
    void settingsChanged(const NiveloSettings& settings);
    void systemSurfaceModeChanged(SurfaceMode mode);

private:
    UiLanguage language() const { return settings_.uiLanguage; }
    QString localized(const QString& english, const QString& russian) const;
    void settingsDidChange();
    void setPermissionState(const PermissionState& state);
    void setLatestOutput(const QString& text);
    void scheduleStatusReset(const ActionStatus& status);
    void refreshSystemSurfaceMode();
    void pollSystemSurfaceMode();
    QString newIdCharacters() const;

    static QCoro::Task<> statusReset(QPointer<NiveloAppState> self, Clock& clock,
                                     ActionStatus status, CancelToken token);
    static QCoro::Task<> runAction(QPointer<NiveloAppState> self, QuickAction action,
                                   bool pasteResult, bool updateSampleText, bool silent);
    // Into the run's own target; a run without one fails as having nowhere to paste. True when
    // the target fetched the text.
    static QCoro::Task<bool> pasteInto(PasteboardService& pasteboard, QString text,
                                       std::optional<FocusTarget> target, PasteboardTiming timing);
    static QCoro::Task<> resetPermissions(QPointer<NiveloAppState> self, bool requestAgain);

    Dependencies deps_;
    std::unique_ptr<KeyboardLayoutService> layouts_;

    SettingsPage selectedSettingsPage_ = SettingsPage::general;
    QList<QuickAction> quickActions_;
    QList<PromptStyle> promptStyles_;
    QList<AIReplyStyle> aiReplyStyles_;
    ActionStatus status_;
    PermissionState permissionState_;
    QString sampleText_;
    QString latestOutput_;
    QString targetLanguage_;
    NiveloSettings settings_;
    SurfaceMode systemSurfaceMode_ = SurfaceMode::translucent;

    // The pending return to idle.
    CancelToken statusResetToken_;
    bool runUnderWay_ = false;
    bool observingSurface_ = false;
    quint64 surfacePollCall_ = 0;
};
