#include "panels/TranslationPreviewPanelController.h"

#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "backend/BackendClient.h"
#include "backend/BackendEndpoint.h"
#include "base/Async.h"
#include "base/NiveloError.h"
#include "base/Text.h"
#include "capture/FocusService.h"
#include "capture/PasteboardService.h"
#include "core/ActionStatus.h"
#include "core/NiveloPromptLibrary.h"
#include "core/NiveloSettings.h"
#include "panels/TranslationPreviewPanel.h"
#include "platform/Defaults.h"
#include "platform/Pasteboard.h"
#include "platform/PasteboardRead.h"
#include "platform/Platform.h"
#include "platform/WindowActivation.h"
#include "state/NiveloAppState.h"
#include "theme/FloatingPanelDismissMonitor.h"

TranslationPreviewPanelController::TranslationPreviewPanelController(Dependencies dependencies,
                                                                     QObject* parent)
    : QObject(parent), deps_(dependencies) {
    const double stored = deps_.defaults.doubleValue(kFontSizeKey);
    if (stored >= kMinPreviewFontSize && stored <= kMaxPreviewFontSize) {
        previewFontSize_ = stored;
    }
}

TranslationPreviewPanelController::~TranslationPreviewPanelController() {
    dismissMonitor_.reset();
    panel_.reset();
}

TranslationPreviewPanelController& TranslationPreviewPanelController::shared() {
    static auto* instance = [] {
        Platform& platform = Platform::current();
        // Kept for the process, as the tasks it starts may outlive any caller.
        static BackendClient backend(BackendEndpoint::aiURL(), QString());
        return new TranslationPreviewPanelController(Dependencies{
            *platform.defaults, *platform.pasteboard, *platform.clock, PasteboardService::shared(),
            FocusService::shared(), backend, platform.screens.get(), platform.eventMonitors.get(),
            PanelWindow::Environment::of(platform)});
    }();
    return *instance;
}

template <typename T>
void TranslationPreviewPanelController::publish(
    T& field, T value, void (TranslationPreviewPanelController::*signal)()) {
    field = std::move(value);
    Q_EMIT(this->*signal)();
}

void TranslationPreviewPanelController::setSourceVisible(bool visible) {
    publish(sourceVisible_, visible, &TranslationPreviewPanelController::sourceVisibleChanged);
}

void TranslationPreviewPanelController::syncAppearanceFromSettings() {
    if (!appState_) {
        return;
    }
    publish(appearanceMode_, appState_->settings().appearanceMode,
            &TranslationPreviewPanelController::appearanceModeChanged);
    publish(surfaceMode_, appState_->systemSurfaceMode(),
            &TranslationPreviewPanelController::surfaceModeChanged);
    publish(uiLanguage_, appState_->settings().uiLanguage,
            &TranslationPreviewPanelController::uiLanguageChanged);
}

void TranslationPreviewPanelController::attach(NiveloAppState* appState) {
    appState_ = appState;
    if (!appState) {
        settingsSubscription_.reset();
        surfaceSubscription_.reset();
        return;
    }
    syncAppearanceFromSettings();
    QPointer<TranslationPreviewPanelController> self(this);
    // The target language is not followed: every read from the selection takes it afresh.
    settingsSubscription_ =
        subscribe(appState, &NiveloAppState::settingsChanged, &NiveloAppState::settings,
                  [self](const NiveloSettings& settings) {
                      if (self) {
                          self->publish(self->appearanceMode_, settings.appearanceMode,
                                        &TranslationPreviewPanelController::appearanceModeChanged);
                          self->publish(self->uiLanguage_, settings.uiLanguage,
                                        &TranslationPreviewPanelController::uiLanguageChanged);
                      }
                  });
    surfaceSubscription_ =
        subscribe(appState, &NiveloAppState::systemSurfaceModeChanged,
                  &NiveloAppState::systemSurfaceMode, [self](SurfaceMode mode) {
                      if (self) {
                          self->publish(self->surfaceMode_, mode,
                                        &TranslationPreviewPanelController::surfaceModeChanged);
                      }
                  });
}

void TranslationPreviewPanelController::showFromSelection() {
    if (appState_) {
        showFromSelection(*appState_);
    }
}

void TranslationPreviewPanelController::showFromSelection(NiveloAppState& appState) {
    appState_ = &appState;
    syncAppearanceFromSettings();
    publish(targetLanguage_, appState.settings().translatePreviewTargetLanguage,
            &TranslationPreviewPanelController::targetLanguageChanged);
    setSourceText({});
    setErrorText({});
    setResultText({});
    setRunning(true);
    deps_.focus.rememberFrontmostApplication();
    setStatusRunning(
        localized(QStringLiteral("Reading selection"), QStringLiteral("Читаю выделение")));
    // Started now, so the read does not wait for the redraws the statuses cause.
    readSelection(QPointer<TranslationPreviewPanelController>(this), ++generation_);
}

QCoro::Task<> TranslationPreviewPanelController::readSelection(
    QPointer<TranslationPreviewPanelController> self, quint64 generation) {
    if (!self || !self->appState_) {
        co_return;
    }
    PasteboardService& pasteboard = self->deps_.pasteboardService;
    QString source = pasteboard.peekSelectedTextViaAccessibility();
    std::optional<QString> failure;
    if (text::trimmed(source).isEmpty()) {
        try {
            QCoro::Task<SelectionRead> read =
                pasteboard.readSelectedTextTransient(false, true, PasteboardTiming::standard());
            const SelectionRead copied = co_await std::move(read);
            source = copied.text;
        } catch (const std::exception& e) {
            failure = errorDescription(e);
        }
    }
    // A later press owns the panel now.
    if (!self || self->generation_ != generation) {
        co_return;
    }
    if (failure) {
        self->setRunning(false);
        self->setErrorText(*failure);
        self->show();
        self->setStatusFailed(*failure);
        co_return;
    }
    self->sourceFromSelection_ = true;
    self->setSourceText(source);
    self->show();
    self->setStatusRunning(
        self->localized(QStringLiteral("Translating to "), QStringLiteral("Перевожу на ")) +
        self->targetLanguage_);
    self->translateCurrent();
}

void TranslationPreviewPanelController::translateCurrent() {
    const quint64 generation = ++generation_;
    const QString trimmed = text::trimmed(sourceText_);
    if (trimmed.isEmpty()) {
        setErrorText(localized(QStringLiteral("No selected text."),
                               QStringLiteral("Нет выделенного текста.")));
        setRunning(false);
        return;
    }
    const QList<PromptStyle> styles =
        appState_ ? appState_->promptStyles() : NiveloPromptLibrary::defaultStyles();
    const auto found = std::find_if(styles.begin(), styles.end(), [](const PromptStyle& s) {
        return s.id == QLatin1String("translate");
    });
    if (found == styles.end()) {
        setErrorText(localized(QStringLiteral("Translate style not found."),
                               QStringLiteral("Стиль перевода не найден.")));
        setRunning(false);
        return;
    }
    setRunning(true);
    setErrorText({});
    QPointer<TranslationPreviewPanelController> self(this);
    launchLater(this, [self, trimmed, style = *found, language = targetLanguage_, generation] {
        translate(self, trimmed, style, language, generation);
    });
}

QCoro::Task<> TranslationPreviewPanelController::translate(
    QPointer<TranslationPreviewPanelController> self, QString text, PromptStyle style,
    QString language, quint64 generation) {
    if (!self) {
        co_return;
    }
    BackendClient& backend = self->deps_.backend;
    QString answer;
    std::optional<QString> failure;
    try {
        BackendRequestArguments arguments{.action = BackendAction::translate,
                                          .style = std::move(style),
                                          .targetLanguage = std::move(language)};
        QCoro::Task<QString> sent = backend.send(std::move(text), std::move(arguments));
        answer = co_await std::move(sent);
    } catch (const std::exception& e) {
        failure = errorDescription(e);
    }
    // A newer translation or read was asked for meanwhile: this answer is out of date.
    if (!self || self->generation_ != generation) {
        co_return;
    }
    if (failure) {
        // The earlier result stays on screen.
        self->setErrorText(*failure);
        self->setRunning(false);
        self->setStatusFailed(*failure);
        co_return;
    }
    self->setResultText(answer);
    self->setRunning(false);
    self->setStatusDone(self->localized(QStringLiteral("Translation preview ready"),
                                        QStringLiteral("Предпросмотр перевода готов")));
}

void TranslationPreviewPanelController::setTargetLanguage(const QString& language) {
    if (language == targetLanguage_) {
        return;
    }
    publish(targetLanguage_, language, &TranslationPreviewPanelController::targetLanguageChanged);
    if (appState_) {
        // The quick actions' own target language is another field.
        appState_->editSettings(
            [&](NiveloSettings& s) { s.translatePreviewTargetLanguage = language; });
    }
    if (!text::trimmed(sourceText_).isEmpty()) {
        translateCurrent();
    }
}

void TranslationPreviewPanelController::pasteFromClipboardAndTranslate() {
    const quint64 read = ++clipboardReads_;
    if (!deps_.pasteboard.textPending()) {
        translateClipboard(deps_.pasteboard.plainText());
        return;
    }
    // A large copy or a slow owner: its text is still being read, which is not "empty".
    QPointer<TranslationPreviewPanelController> self(this);
    launchLater(this, [self, read] { translateClipboardWhenRead(self, read); });
}

QCoro::Task<> TranslationPreviewPanelController::translateClipboardWhenRead(
    QPointer<TranslationPreviewPanelController> self, quint64 read) {
    if (!self) {
        co_return;
    }
    QCoro::Task<PasteboardTextRead> reading =
        pasteboardRead::plainText(self->deps_.pasteboard, self->deps_.clock);
    const PasteboardTextRead text = co_await std::move(reading);
    if (self && read == self->clipboardReads_) {
        self->translateClipboard(text.text);
    }
}

void TranslationPreviewPanelController::translateClipboard(const std::optional<QString>& text) {
    const QString clipboard = text::trimmed(text.value_or(QString()));
    if (clipboard.isEmpty()) {
        const QString message =
            localized(QStringLiteral("Clipboard is empty."), QStringLiteral("Буфер обмена пуст."));
        setErrorText(message);
        setRunning(false);
        setStatusFailed(message);
        return;
    }
    sourceFromSelection_ = false;
    setSourceText(clipboard);
    setResultText({});
    setErrorText({});
    setStatusRunning(
        localized(QStringLiteral("Translating clipboard"), QStringLiteral("Перевожу из буфера")));
    translateCurrent();
}

void TranslationPreviewPanelController::copyResult() {
    if (resultText_.isEmpty()) {
        return;
    }
    // The user's own copy: the clipboard history takes it like any other.
    deps_.pasteboard.clear();
    deps_.pasteboard.setPlainText(resultText_);
    setStatusDone(localized(QStringLiteral("Copied"), QStringLiteral("Скопировано")));
}

void TranslationPreviewPanelController::pasteResult() {
    if (resultText_.isEmpty()) {
        return;
    }
    QPointer<TranslationPreviewPanelController> self(this);
    launchLater(this, [self] { paste(self); });
}

QCoro::Task<> TranslationPreviewPanelController::paste(
    QPointer<TranslationPreviewPanelController> self) {
    if (!self) {
        co_return;
    }
    self->hide();
    const QString source = self->sourceText_;
    QString insert = self->resultText_;
    if (self->sourceFromSelection_) {
        // The backend saw the selection trimmed: its own white space goes back around.
        insert = text::inPlaceOfSelection(source, insert);
    }
    PasteboardService& pasteboard = self->deps_.pasteboardService;
    std::optional<QString> failure;
    try {
        QCoro::Task<> pasted = pasteboard.pasteTransient(std::move(insert), std::nullopt,
                                                         PasteboardTiming::standard());
        co_await std::move(pasted);
    } catch (const std::exception& e) {
        failure = errorDescription(e);
    }
    if (!self) {
        co_return;
    }
    // The panel stays hidden either way; the outcome is the status's.
    if (failure) {
        self->setStatusFailed(*failure);
    } else {
        self->setStatusDone(self->localized(QStringLiteral("Pasted"), QStringLiteral("Вставлено")));
    }
}

void TranslationPreviewPanelController::setPreviewFontSize(double size) {
    const double clamped = std::clamp(size, kMinPreviewFontSize, kMaxPreviewFontSize);
    if (clamped == previewFontSize_) {
        return;
    }
    publish(previewFontSize_, clamped, &TranslationPreviewPanelController::previewFontSizeChanged);
    deps_.defaults.setDouble(kFontSizeKey, clamped);
}

QSize TranslationPreviewPanelController::savedPanelSize() const {
    const double width = deps_.defaults.doubleValue(kWidthKey);
    const double height = deps_.defaults.doubleValue(kHeightKey);
    if (width < kMinimumWidth || height < kMinimumHeight) {
        return {kDefaultWidth, kDefaultHeight};
    }
    return {int(std::min(width, double(kMaximumSavedWidth))),
            int(std::min(height, double(kMaximumSavedHeight)))};
}

void TranslationPreviewPanelController::savePanelSize(QSize size) {
    // Kept as given; the caps apply when read back.
    deps_.defaults.setDouble(kWidthKey, std::max(size.width(), kMinimumWidth));
    deps_.defaults.setDouble(kHeightKey, std::max(size.height(), kMinimumHeight));
}

void TranslationPreviewPanelController::createPanel() {
    panel_ = std::make_unique<PanelWindow>(PanelWindow::Kind::key, deps_.environment);
    panel_->setWindowTitle(QStringLiteral("NiveloAI Translation Preview"));
    panel_->setAccessibleName(QStringLiteral("Translation Preview"));
    panel_->setResizable(true);
    panel_->setPanelMinimumSize({kMinimumWidth, kMinimumHeight});
    panel_->setWantedSize(savedPanelSize());
    view_ = new TranslationPreviewPanel(*this, panel_->surface());
    auto* layout = new QVBoxLayout(panel_->surface());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    connect(panel_.get(), &PanelWindow::userResized, this,
            [this](QSize resized) { savePanelSize(resized); });
    connect(panel_.get(), &PanelWindow::closeRequested, this, [this] { hide(); });
    if (deps_.monitors) {
        QPointer<TranslationPreviewPanelController> self(this);
        dismissMonitor_ =
            std::make_unique<FloatingPanelDismissMonitor>(panel_.get(), *deps_.monitors, [self] {
                if (self) {
                    self->hide();
                }
            });
    }
}

void TranslationPreviewPanelController::positionNearMouse() {
    if (panel_ && deps_.screens) {
        panel_->placeNearMouse(*deps_.screens);
    }
}

void TranslationPreviewPanelController::show() {
    syncAppearanceFromSettings();
    const bool wasVisible = isPanelVisible();
    if (!panel_) {
        createPanel();
    }
    if (!wasVisible) {
        positionNearMouse();
    }
    if (dismissMonitor_) {
        dismissMonitor_->install();
    }
    panel_->show();
    panel_->raise();
    if (wasVisible) {
        panel_->takeKeyboard();
    }
}

void TranslationPreviewPanelController::hide() {
    if (dismissMonitor_) {
        dismissMonitor_->remove();
    }
    if (panel_) {
        panel_->hide();
    }
}

bool TranslationPreviewPanelController::isPanelVisible() const {
    return panel_ && panel_->isVisible();
}

bool TranslationPreviewPanelController::hasDismissMonitor() const {
    return dismissMonitor_ && dismissMonitor_->isInstalled();
}

void TranslationPreviewPanelController::setStatusRunning(const QString& message) {
    if (appState_) {
        appState_->setStatus(ActionStatus::running(message));
    }
}

void TranslationPreviewPanelController::setStatusDone(const QString& message) {
    if (appState_) {
        appState_->setStatus(ActionStatus::done(message));
    }
}

void TranslationPreviewPanelController::setStatusFailed(const QString& message) {
    if (appState_) {
        appState_->setStatus(ActionStatus::failed(message));
    }
}
