#include "assistant/AssistantPanelController.h"

#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "assistant/AssistantPanelContent.h"
#include "backend/BackendClient.h"
#include "base/NiveloError.h"
#include "base/Text.h"
#include "core/ActionStatus.h"
#include "core/BackendAction.h"
#include "core/NiveloSettings.h"
#include "core/PromptStyle.h"
#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "platform/Pasteboard.h"
#include "platform/Screens.h"
#include "platform/WindowActivation.h"
#include "state/NiveloAppState.h"
#include "theme/FloatingSurface.h"
#include "theme/NiveloTheme.h"

namespace {

constexpr double kCornerRadius = 22;

QString newSessionId() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

PromptStyle chatStyle() {
    return {QStringLiteral("assistant"), QStringLiteral("AI"), QString(),
            QStringLiteral("Not assigned"), false};
}

}  // namespace

AssistantPanelController::AssistantPanelController(Dependencies dependencies, QObject* parent)
    : QObject(parent),
      deps_(std::move(dependencies)),
      backend_(std::move(deps_.backend)),
      assistantSessionId_(newSessionId()),
      reply_(*this) {}

AssistantPanelController::~AssistantPanelController() = default;

void AssistantPanelController::setRequestText(const QString& text) {
    requestText_ = text;
    Q_EMIT requestTextChanged(requestText_);
}

void AssistantPanelController::setContextText(const QString& text) {
    contextText_ = text;
    Q_EMIT contextTextChanged(contextText_);
}

void AssistantPanelController::setContextEnabledFlag(bool enabled) {
    contextEnabled_ = enabled;
    Q_EMIT contextEnabledChanged(contextEnabled_);
}

void AssistantPanelController::setResultText(const QString& text) {
    resultText_ = text;
    Q_EMIT resultTextChanged(resultText_);
}

void AssistantPanelController::setTurns(const QList<AssistantConversationTurn>& turns) {
    turns_ = turns;
    Q_EMIT turnsChanged(turns_);
}

void AssistantPanelController::setCopiedTurnID(const std::optional<QUuid>& id) {
    copiedTurnID_ = id;
    Q_EMIT copiedTurnIDChanged(copiedTurnID_);
}

void AssistantPanelController::setRunning(bool running) {
    isRunning_ = running;
    Q_EMIT isRunningChanged(isRunning_);
}

void AssistantPanelController::setErrorText(const QString& text) {
    errorText_ = text;
    Q_EMIT errorTextChanged(errorText_);
}

void AssistantPanelController::setAppearanceMode(AppearanceMode mode) {
    appearanceMode_ = mode;
    applySurfaceRecipe();
    Q_EMIT appearanceModeChanged(appearanceMode_);
}

void AssistantPanelController::setSurfaceMode(SurfaceMode mode) {
    surfaceMode_ = mode;
    applySurfaceRecipe();
    Q_EMIT surfaceModeChanged(surfaceMode_);
}

void AssistantPanelController::setUiLanguage(UiLanguage language) {
    uiLanguage_ = language;
    Q_EMIT uiLanguageChanged(uiLanguage_);
}

void AssistantPanelController::setReplyMode(bool replyMode) {
    isReplyMode_ = replyMode;
    Q_EMIT isReplyModeChanged(isReplyMode_);
}

void AssistantPanelController::setReplyStyleName(const QString& name) {
    replyStyleName_ = name;
    Q_EMIT replyStyleNameChanged(replyStyleName_);
}

void AssistantPanelController::setReplyStyles(const QList<AIReplyStyle>& styles) {
    replyStyles_ = styles;
    Q_EMIT replyStylesChanged(replyStyles_);
}

void AssistantPanelController::setSelectedReplyStyleID(const QString& id) {
    selectedReplyStyleID_ = id;
    Q_EMIT selectedReplyStyleIDChanged(selectedReplyStyleID_);
}

void AssistantPanelController::setReplyTranslationLanguage(const QString& language) {
    replyTranslationLanguage_ = language;
    Q_EMIT replyTranslationLanguageChanged(replyTranslationLanguage_);
}

bool AssistantPanelController::isPanelVisible() const {
    return panel_ && panel_->isVisible();
}

void AssistantPanelController::hidePanel() {
    if (panel_) {
        panel_->hide();
    }
}

// Status and texts

void AssistantPanelController::setStatus(const ActionStatus& status) {
    if (appState_) {
        appState_->setStatus(status);
    }
}

QString AssistantPanelController::tr(const QString& english, const QString& russian) const {
    return tr2(uiLanguage_, english, russian);
}

QString AssistantPanelController::settingsTargetLanguage() const {
    return appState_ ? appState_->settings().targetLanguage : QStringLiteral("English");
}

AssistantConversationTurn AssistantPanelController::newTurn(const QString& request,
                                                            const QString& result) const {
    return {QUuid::createUuid(), request, result, deps_.clock.currentDateTime()};
}

// Attaching

void AssistantPanelController::attach(NiveloAppState* appState) {
    appState_ = appState;
    settingsSubscription_.reset();
    surfaceSubscription_.reset();
    if (!appState) {
        return;
    }
    const NiveloSettings& settings = appState->settings();
    setAppearanceMode(settings.appearanceMode);
    setSurfaceMode(appState->systemSurfaceMode());
    setUiLanguage(settings.uiLanguage);
    setContextEnabledFlag(settings.aiContextEnabled);
    setReplyStyles(appState->aiReplyStyles());
    // Only here: afterwards the panel's own choice holds.
    setReplyTranslationLanguage(settings.targetLanguage);

    QPointer<AssistantPanelController> self(this);
    settingsSubscription_ = appState->subscribeSettings([self](const NiveloSettings& value) {
        if (!self) {
            return;
        }
        self->setAppearanceMode(value.appearanceMode);
        self->setUiLanguage(value.uiLanguage);
        self->setContextEnabledFlag(value.aiContextEnabled);
        self->setReplyStyles(value.aiReplyStyles);
    });
    surfaceSubscription_ = subscribe(appState, &NiveloAppState::systemSurfaceModeChanged,
                                     &NiveloAppState::systemSurfaceMode, [self](SurfaceMode mode) {
                                         if (self) {
                                             self->setSurfaceMode(mode);
                                         }
                                     });
}

void AssistantPanelController::syncAppearanceFromSettings() {
    if (!appState_) {
        return;
    }
    setAppearanceMode(appState_->settings().appearanceMode);
    setUiLanguage(appState_->settings().uiLanguage);
    setSurfaceMode(appState_->systemSurfaceMode());
}

void AssistantPanelController::setContextEnabled(bool enabled) {
    setContextEnabledFlag(enabled);
    if (appState_) {
        appState_->editSettings([enabled](NiveloSettings& s) { s.aiContextEnabled = enabled; });
    }
}

// The panel

QSize AssistantPanelController::savedPanelSize() const {
    const double width = deps_.defaults ? deps_.defaults->doubleValue(kWidthKey) : 0;
    const double height = deps_.defaults ? deps_.defaults->doubleValue(kHeightKey) : 0;
    if (width < kMinimumWidth || height < kMinimumHeight) {
        return {kDefaultWidth, kDefaultHeight};
    }
    return {int(std::min(width, double(kMaximumSavedWidth))),
            int(std::min(height, double(kMaximumSavedHeight)))};
}

void AssistantPanelController::savePanelSize(QSize size) {
    if (!deps_.defaults) {
        return;
    }
    deps_.defaults->setDouble(kWidthKey, std::max(size.width(), kMinimumWidth));
    deps_.defaults->setDouble(kHeightKey, std::max(size.height(), kMinimumHeight));
}

void AssistantPanelController::makePanel() {
    panel_ = std::make_unique<PanelWindow>(PanelWindow::Kind::key, deps_.environment);
    panel_->setWindowTitle(QStringLiteral("NiveloAI Assistant"));
    panel_->setAccessibleName(QStringLiteral("AI assistant"));
    panel_->setResizable(true);
    panel_->setPanelMinimumSize({kMinimumWidth, kMinimumHeight});
    panel_->setWantedSize(savedPanelSize());
    applySurfaceRecipe();
    content_ = makeAssistantPanelContent(*this, panel_->surface());
    auto* layout = new QVBoxLayout(panel_->surface());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content_);
    connect(panel_.get(), &PanelWindow::userResized, this,
            [this](QSize size) { savePanelSize(size); });
}

void AssistantPanelController::applySurfaceRecipe() {
    if (panel_) {
        panel_->setSurfaceRecipe(floatingSurfaceRecipe(appearanceMode_, surfaceMode_, kCornerRadius,
                                                       NiveloTheme::environmentScheme()));
    }
}

void AssistantPanelController::positionNearMouse() {
    if (panel_ && deps_.screens) {
        panel_->placeNearMouse(*deps_.screens);
    }
}

void AssistantPanelController::show(const QString& context) {
    setReplyMode(false);
    syncAppearanceFromSettings();
    const QString trimmed = text::trimmed(context);
    if (!trimmed.isEmpty()) {
        setContextText(trimmed);
        setContextEnabled(true);
    }
    setErrorText(QString());
    const bool wasVisible = isPanelVisible();
    if (!panel_) {
        makePanel();
    }
    if (!wasVisible) {
        positionNearMouse();
    }
    panel_->show();
    panel_->raise();
    if (wasVisible) {
        panel_->takeKeyboard();
    }
}

// Chat

quint64 AssistantPanelController::beginRequest() {
    return ++requestCounter_;
}

void AssistantPanelController::failRequest(const QString& description) {
    setErrorText(description);
    setRunning(false);
    setStatus(ActionStatus::failed(description));
}

void AssistantPanelController::newChat() {
    setContextText(QString());
    setRequestText(QString());
    setResultText(QString());
    setTurns({});
    setCopiedTurnID(std::nullopt);
    setErrorText(QString());
    setRunning(false);
    assistantSessionId_ = newSessionId();
    setReplyMode(false);
    setReplyStyleName(QString());
    setSelectedReplyStyleID(QString());
    reply_.forget();
    setStatus(
        ActionStatus::done(tr(QStringLiteral("New AI chat"), QStringLiteral("Новый AI-чат"))));
}

void AssistantPanelController::run() {
    if (isRunning_) {
        return;
    }
    const QString request = text::trimmed(requestText_);
    const QString context = contextEnabled_ ? text::trimmed(contextText_) : QString();
    if (request.isEmpty()) {
        setErrorText(tr(QStringLiteral("Enter a request."), QStringLiteral("Введите запрос.")));
        return;
    }
    setRunning(true);
    setErrorText(QString());
    setStatus(
        ActionStatus::running(tr(QStringLiteral("AI running"), QStringLiteral("AI выполняется"))));
    const QString text = context.isEmpty() ? request
                                           : QStringLiteral("Selected text:\n") + context +
                                                 QStringLiteral("\n\nRequest:\n") + request;
    runChat(QPointer<AssistantPanelController>(this), backend_, beginRequest(), text, requestText_,
            request);
}

QCoro::Task<> AssistantPanelController::runChat(QPointer<AssistantPanelController> self,
                                                std::shared_ptr<BackendClient> backend,
                                                quint64 request, QString text, QString composerText,
                                                QString trimmedRequest) {
    const QString sessionId = self->assistantSessionId_;
    try {
        BackendRequestArguments arguments{.action = BackendAction::assistant,
                                          .style = chatStyle(),
                                          .targetLanguage = QStringLiteral("English"),
                                          .assistantSessionId = sessionId,
                                          .assistantKeepContext = true};
        const QString result = co_await backend->send(text, std::move(arguments),
                                                      {.split = BackendClient::Split::whole});
        if (!self || !self->isCurrent(request)) {
            co_return;
        }
        QList<AssistantConversationTurn> turns = self->turns_;
        turns.append(self->newTurn(trimmedRequest, result));
        self->setTurns(turns);
        self->setResultText(result);
        // What the user typed while the request ran stays.
        if (self->requestText_ == composerText) {
            self->setRequestText(QString());
        }
        self->setRunning(false);
        self->setStatus(
            ActionStatus::done(self->tr(QStringLiteral("AI ready"), QStringLiteral("AI готов"))));
    } catch (const std::exception& e) {
        if (self && self->isCurrent(request)) {
            self->failRequest(errorDescription(e));
        }
    }
}

// Copies

void AssistantPanelController::copyResult() {
    if (resultText_.isEmpty() || !deps_.pasteboard) {
        return;
    }
    deps_.pasteboard->clear();
    deps_.pasteboard->setPlainText(resultText_);
    setStatus(ActionStatus::done(tr(QStringLiteral("Copied"), QStringLiteral("Скопировано"))));
}

void AssistantPanelController::copyMessage(const AssistantConversationTurn& turn) {
    if (deps_.pasteboard) {
        deps_.pasteboard->clear();
        deps_.pasteboard->setPlainText(turn.result);
    }
    setCopiedTurnID(turn.id);
    setStatus(ActionStatus::done(tr(QStringLiteral("Copied"), QStringLiteral("Скопировано"))));
    clearCopyMark(QPointer<AssistantPanelController>(this), turn.id);
}

QCoro::Task<> AssistantPanelController::clearCopyMark(QPointer<AssistantPanelController> self,
                                                      QUuid turn) {
    Clock& clock = self->deps_.clock;
    co_await clock.sleep(kCopyMarkMs);
    // A later copy of another turn keeps its own mark.
    if (self && self->copiedTurnID_ == turn) {
        self->setCopiedTurnID(std::nullopt);
    }
}

// Reply mode

void AssistantPanelController::showReply(const QString& message, const AIReplyStyle& style,
                                         const QString& targetLanguage) {
    reply_.show(message, style, targetLanguage);
}

void AssistantPanelController::selectReplyStyle(const QString& styleId) {
    reply_.selectStyle(styleId);
}

void AssistantPanelController::regenerateReply() {
    reply_.regenerate();
}

void AssistantPanelController::addEmojisToReply() {
    reply_.addEmojis();
}

void AssistantPanelController::translateReply() {
    reply_.translate();
}

void AssistantPanelController::selectReplyTranslationLanguage(const QString& language) {
    reply_.selectTranslationLanguage(language);
}

void AssistantPanelController::pasteResult() {
    reply_.paste();
}
