#include "assistant/AssistantPanelController.h"

#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "assistant/AssistantPanelContent.h"
#include "backend/BackendClient.h"
#include "base/Async.h"
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
#include "theme/Placement.h"

namespace {

constexpr double kCornerRadius = 22;
const QString kNotAssigned = QStringLiteral("Not assigned");

QString newSessionId() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

PromptStyle chatStyle() {
    return {QStringLiteral("assistant"), QStringLiteral("AI"), QString(), kNotAssigned, false};
}

PromptStyle emojiStyle() {
    return {QStringLiteral("emoji"), QStringLiteral("Emoji"),
            QStringLiteral("Add 1-3 relevant emojis while preserving the wording, meaning, "
                           "language, and tone. Return only the updated text."),
            kNotAssigned, false};
}

PromptStyle translationStyle() {
    return {QStringLiteral("original"), QStringLiteral("Translate"), QString(), kNotAssigned,
            false};
}

}  // namespace

AssistantPanelController::AssistantPanelController(Dependencies dependencies, QObject* parent)
    : QObject(parent),
      deps_(std::move(dependencies)),
      backend_(std::move(deps_.backend)),
      assistantSessionId_(newSessionId()),
      replyTransformID_(QUuid::createUuid()) {}

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
    panel_->setMinimumSize(kMinimumWidth, kMinimumHeight);
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
        panel_->setGeometry(
            Placement::nearMouseFrame(*deps_.screens, panel_->wantedSize(), panel_->minimumSize()));
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
    replyTranslationSource_.clear();
    // A translation of the old reply must not land in the new chat.
    replyTransformToken_.cancel();
    replyTransformID_ = QUuid::createUuid();
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
    const QString trimmed = text::trimmed(message);
    if (trimmed.isEmpty() || isRunning_) {
        return;
    }
    newChat();
    // Whatever the old conversation still has on its way belongs to it.
    beginRequest();
    show(trimmed);
    setReplyMode(true);
    setReplyStyleName(style.name);
    setSelectedReplyStyleID(style.id);
    setContextText(trimmed);
    setContextEnabledFlag(true);
    generateReply(trimmed, style, targetLanguage);
}

void AssistantPanelController::generateReply(const QString& message, const AIReplyStyle& style,
                                             const QString& targetLanguage) {
    const QString trimmed = text::trimmed(message);
    if (trimmed.isEmpty() || isRunning_) {
        return;
    }
    setRunning(true);
    setErrorText(QString());
    setResultText(QString());
    setTurns({});
    setStatus(ActionStatus::running(
        tr(QStringLiteral("Writing reply"), QStringLiteral("Готовлю ответ"))));
    runReply(QPointer<AssistantPanelController>(this), backend_, beginRequest(), trimmed, style,
             targetLanguage);
}

QCoro::Task<> AssistantPanelController::runReply(QPointer<AssistantPanelController> self,
                                                 std::shared_ptr<BackendClient> backend,
                                                 quint64 request, QString message,
                                                 AIReplyStyle style, QString targetLanguage) {
    try {
        BackendClient::ReplyArguments arguments{
            .message = message, .style = style, .targetLanguage = targetLanguage};
        const QString reply = co_await backend->sendReply(std::move(arguments));
        if (!self || !self->isCurrent(request)) {
            co_return;
        }
        self->setTurns({self->newTurn(message, reply)});
        self->setResultText(reply);
        self->replyTranslationSource_ = reply;
        self->setRunning(false);
        self->setStatus(ActionStatus::done(
            self->tr(QStringLiteral("Reply ready"), QStringLiteral("Ответ готов"))));
    } catch (const std::exception& e) {
        if (self && self->isCurrent(request)) {
            self->failRequest(errorDescription(e));
        }
    }
}

void AssistantPanelController::selectReplyStyle(const QString& styleId) {
    if (!isReplyMode_) {
        return;
    }
    const auto style = std::find_if(replyStyles_.cbegin(), replyStyles_.cend(),
                                    [&](const AIReplyStyle& s) { return s.id == styleId; });
    if (style == replyStyles_.cend() || isRunning_) {
        return;
    }
    const AIReplyStyle chosen = *style;
    setSelectedReplyStyleID(chosen.id);
    setReplyStyleName(chosen.name);
    generateReply(contextText_, chosen, settingsTargetLanguage());
}

void AssistantPanelController::regenerateReply() {
    if (!isReplyMode_) {
        return;
    }
    const auto style =
        std::find_if(replyStyles_.cbegin(), replyStyles_.cend(),
                     [&](const AIReplyStyle& s) { return s.id == selectedReplyStyleID_; });
    if (style == replyStyles_.cend() || isRunning_) {
        return;
    }
    generateReply(contextText_, *style, settingsTargetLanguage());
}

void AssistantPanelController::addEmojisToReply() {
    const QString text = text::trimmed(resultText_);
    if (!isReplyMode_ || text.isEmpty() || isRunning_) {
        return;
    }
    setRunning(true);
    setErrorText(QString());
    setStatus(ActionStatus::running(
        tr(QStringLiteral("Adding emojis"), QStringLiteral("Добавляю смайлы"))));
    runEmojis(QPointer<AssistantPanelController>(this), backend_, beginRequest(), text,
              settingsTargetLanguage());
}

QCoro::Task<> AssistantPanelController::runEmojis(QPointer<AssistantPanelController> self,
                                                  std::shared_ptr<BackendClient> backend,
                                                  quint64 request, QString text,
                                                  QString targetLanguage) {
    try {
        BackendRequestArguments arguments{.action = BackendAction::emoji,
                                          .style = emojiStyle(),
                                          .targetLanguage = targetLanguage};
        const QString result = co_await backend->send(text, std::move(arguments));
        if (!self || !self->isCurrent(request)) {
            co_return;
        }
        self->setResultText(result);
        self->replyTranslationSource_ = result;
        self->replaceLastReplyResult(result);
        self->setRunning(false);
        self->setStatus(ActionStatus::done(
            self->tr(QStringLiteral("Emojis added"), QStringLiteral("Смайлы добавлены"))));
    } catch (const std::exception& e) {
        if (self && self->isCurrent(request)) {
            self->failRequest(errorDescription(e));
        }
    }
}

void AssistantPanelController::translateReply() {
    const QString source =
        text::trimmed(replyTranslationSource_.isEmpty() ? resultText_ : replyTranslationSource_);
    if (!isReplyMode_ || source.isEmpty() || isRunning_) {
        return;
    }
    replyTransformToken_.cancel();
    replyTransformToken_ = CancelToken();
    replyTransformID_ = QUuid::createUuid();
    setRunning(true);
    setErrorText(QString());
    setStatus(ActionStatus::running(
        tr(QStringLiteral("Translating reply"), QStringLiteral("Перевожу ответ"))));
    runTranslation(QPointer<AssistantPanelController>(this), backend_, beginRequest(), source,
                   replyTransformID_, replyTransformToken_);
}

QCoro::Task<> AssistantPanelController::runTranslation(QPointer<AssistantPanelController> self,
                                                       std::shared_ptr<BackendClient> backend,
                                                       quint64 request, QString source, QUuid stamp,
                                                       CancelToken token) {
    const QString language = self->replyTranslationLanguage_;
    const auto stale = [&] {
        return !self || token.isCancelled() || self->replyTransformID_ != stamp ||
               !self->isCurrent(request);
    };
    try {
        BackendRequestArguments arguments{.action = BackendAction::translate,
                                          .style = translationStyle(),
                                          .targetLanguage = language};
        const QString translation = co_await backend->send(source, std::move(arguments),
                                                           {.retryOnUnchangedTranslation = false});
        if (stale()) {
            co_return;
        }
        self->setResultText(translation);
        self->replaceLastReplyResult(translation);
        self->setRunning(false);
        self->setStatus(ActionStatus::done(
            self->tr(QStringLiteral("Reply translated"), QStringLiteral("Ответ переведён"))));
    } catch (const std::exception& e) {
        if (!stale()) {
            self->failRequest(errorDescription(e));
        }
    }
}

void AssistantPanelController::selectReplyTranslationLanguage(const QString& language) {
    if (language == replyTranslationLanguage_) {
        return;
    }
    setReplyTranslationLanguage(language);
    translateReply();
}

void AssistantPanelController::replaceLastReplyResult(const QString& result) {
    if (turns_.isEmpty()) {
        return;
    }
    QList<AssistantConversationTurn> turns = turns_;
    turns.last() = newTurn(turns.last().request, result);
    setTurns(turns);
}

void AssistantPanelController::pasteResult() {
    const std::optional<qint64> process =
        deps_.rememberedProcess ? deps_.rememberedProcess() : std::nullopt;
    if (resultText_.isEmpty() || !process || !deps_.pasteAIReply) {
        setStatus(ActionStatus::failed(tr(QStringLiteral("No app found for paste"),
                                          QStringLiteral("Не найдено приложение для вставки"))));
        return;
    }
    hidePanel();
    QPointer<AssistantPanelController> self(this);
    const qint64 target = *process;
    launchLater(this, [self, target] { runPaste(self, target); });
}

QCoro::Task<> AssistantPanelController::runPaste(QPointer<AssistantPanelController> self,
                                                 qint64 process) {
    if (!self) {
        co_return;
    }
    try {
        co_await self->deps_.pasteAIReply(self->resultText_, process);
        if (self) {
            self->setStatus(ActionStatus::done(
                self->tr(QStringLiteral("Pasted"), QStringLiteral("Вставлено"))));
        }
    } catch (const std::exception& e) {
        if (self) {
            self->setStatus(ActionStatus::failed(errorDescription(e)));
        }
    }
}
