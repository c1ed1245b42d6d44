#pragma once

#include <QCoro/QCoroTask>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <memory>
#include <optional>

#include "base/Subscription.h"
#include "capture/PanelHandles.h"
#include "core/AppearanceMode.h"
#include "core/PromptStyle.h"
#include "core/SurfaceMode.h"
#include "core/UiLanguage.h"
#include "theme/PanelWindow.h"

class BackendClient;
class Clock;
class Defaults;
class EventMonitors;
class FloatingPanelDismissMonitor;
class FocusService;
class NiveloAppState;
class Pasteboard;
class PasteboardService;
class Screens;
class TranslationPreviewPanel;

// Owner of the translation preview: a panel that shows the text selected in another
// application beside its translation, translated through a backend client of its own (never
// through the state's action pipeline). Unlike the quick-action panel it takes the keyboard.
// One instance lives for the whole process; the panel is made on the first show and only
// hidden after that.
class TranslationPreviewPanelController : public QObject, public TranslationPreviewHandle {
    Q_OBJECT
public:
    static constexpr int kMinimumWidth = 520;
    static constexpr int kMinimumHeight = 360;
    static constexpr int kMaximumSavedWidth = 980;
    static constexpr int kMaximumSavedHeight = 860;
    static constexpr int kDefaultWidth = 680;
    static constexpr int kDefaultHeight = 460;
    static constexpr double kMinPreviewFontSize = 12;
    static constexpr double kMaxPreviewFontSize = 28;
    static constexpr double kDefaultPreviewFontSize = 14;
    static inline const QString kWidthKey = QStringLiteral("nivelo.translationPreviewPanel.width");
    static inline const QString kHeightKey =
        QStringLiteral("nivelo.translationPreviewPanel.height");
    static inline const QString kFontSizeKey =
        QStringLiteral("nivelo.translationPreviewPanel.fontSize");

    struct Dependencies {
        Defaults& defaults;
        // "From Clipboard" and "Copy" use the clipboard directly.
        Pasteboard& pasteboard;
        // Waits for a clipboard still being read.
        Clock& clock;
        // Reads the selection and pastes the translation back.
        PasteboardService& pasteboardService;
        FocusService& focus;
        BackendClient& backend;
        // Either may be missing: placement or dismissing is then left out.
        Screens* screens = nullptr;
        EventMonitors* monitors = nullptr;
        PanelWindow::Environment environment = {};
    };

    explicit TranslationPreviewPanelController(Dependencies dependencies,
                                               QObject* parent = nullptr);
    ~TranslationPreviewPanelController() override;

    // Over the running process's platform and services, with a backend client of its own.
    static TranslationPreviewPanelController& shared();

    // Published fields.
    const QString& sourceText() const { return sourceText_; }
    const QString& resultText() const { return resultText_; }
    const QString& targetLanguage() const { return targetLanguage_; }
    bool sourceVisible() const { return sourceVisible_; }
    void setSourceVisible(bool visible);
    bool isRunning() const { return isRunning_; }
    const QString& errorText() const { return errorText_; }
    AppearanceMode appearanceMode() const { return appearanceMode_; }
    SurfaceMode surfaceMode() const { return surfaceMode_; }
    UiLanguage uiLanguage() const { return uiLanguage_; }
    double previewFontSize() const { return previewFontSize_; }

    // Remembers the state and follows its appearance; a second call replaces the
    // subscriptions.
    void attach(NiveloAppState* appState);
    // Reads the selection of the frontmost application, then shows the panel and translates
    // it. The panel appears only once the read is over.
    void showFromSelection(NiveloAppState& appState);
    // The same for the attached state; nothing without one.
    void showFromSelection() override;
    // Makes the panel when needed, places it near the pointer unless it is on screen, and
    // gives it the keyboard.
    void show();
    // Removes the dismiss monitor, then hides the panel.
    void hide();

    void translateCurrent();
    void setTargetLanguage(const QString& language);
    void pasteFromClipboardAndTranslate();
    void copyResult();
    void pasteResult();
    // Clamped to the limits; stored when it changes.
    void setPreviewFontSize(double size);

    // The size a new panel gets: the saved one within the limits, else the default.
    QSize savedPanelSize() const;
    void savePanelSize(QSize size);

    PanelWindow* panel() const { return panel_.get(); }
    TranslationPreviewPanel* view() const { return view_; }
    bool isPanelVisible() const;
    bool hasDismissMonitor() const;

Q_SIGNALS:
    void sourceTextChanged();
    void resultTextChanged();
    void targetLanguageChanged();
    void sourceVisibleChanged();
    void isRunningChanged();
    void errorTextChanged();
    void appearanceModeChanged();
    void surfaceModeChanged();
    void uiLanguageChanged();
    void previewFontSizeChanged();

private:
    template <typename T>
    void publish(T& field, T value, void (TranslationPreviewPanelController::*signal)());
    void setSourceText(const QString& text) {
        publish(sourceText_, text, &TranslationPreviewPanelController::sourceTextChanged);
    }
    void setResultText(const QString& text) {
        publish(resultText_, text, &TranslationPreviewPanelController::resultTextChanged);
    }
    void setRunning(bool running) {
        publish(isRunning_, running, &TranslationPreviewPanelController::isRunningChanged);
    }
    void setErrorText(const QString& text) {
        publish(errorText_, text, &TranslationPreviewPanelController::errorTextChanged);
    }
    QString localized(const QString& english, const QString& russian) const {
        return tr2(uiLanguage_, english, russian);
    }
    void syncAppearanceFromSettings();
    void createPanel();
    void positionNearMouse();
    void setStatusRunning(const QString& message);
    void setStatusDone(const QString& message);
    void setStatusFailed(const QString& message);

    static QCoro::Task<> readSelection(QPointer<TranslationPreviewPanelController> self,
                                       quint64 generation);
    // "From Clipboard" once the clipboard's text has been read aside.
    static QCoro::Task<> translateClipboardWhenRead(
        QPointer<TranslationPreviewPanelController> self, quint64 read);
    void translateClipboard(const std::optional<QString>& text);
    static QCoro::Task<> translate(QPointer<TranslationPreviewPanelController> self, QString text,
                                   PromptStyle style, QString language, quint64 generation);
    static QCoro::Task<> paste(QPointer<TranslationPreviewPanelController> self);

    QString sourceText_;
    QString resultText_;
    QString targetLanguage_ = QStringLiteral("English");
    bool sourceVisible_ = true;
    bool isRunning_ = false;
    QString errorText_;
    AppearanceMode appearanceMode_ = AppearanceMode::system;
    SurfaceMode surfaceMode_ = SurfaceMode::translucent;
    UiLanguage uiLanguage_ = UiLanguage::en;
    double previewFontSize_ = kDefaultPreviewFontSize;

    Dependencies deps_;
    QPointer<NiveloAppState> appState_;
    Subscription settingsSubscription_;
    Subscription surfaceSubscription_;
    std::unique_ptr<PanelWindow> panel_;
    TranslationPreviewPanel* view_ = nullptr;
    std::unique_ptr<FloatingPanelDismissMonitor> dismissMonitor_;
    // Every read and every translation takes the next number; only the latest one's outcome
    // is shown, so an answer that arrives late never replaces a newer one.
    quint64 generation_ = 0;
    // The latest "From Clipboard" press: an earlier one's wait for the clipboard ends unheard.
    quint64 clipboardReads_ = 0;
    // The source is a selection whose white space goes back around an inserted translation.
    bool sourceFromSelection_ = false;
};
