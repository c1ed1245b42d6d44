#include "assistant/AssistantPanelController.h"

#include "backend/BackendClient.h"
#include "core/ActionStatus.h"
#include "state/NiveloAppState.h"

AssistantPanelController::AssistantPanelController(Dependencies dependencies, QObject* parent)
    : QObject(parent),
      deps_(std::move(dependencies)),
      assistantSessionId_(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper()),
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
    Q_EMIT appearanceModeChanged(appearanceMode_);
}

void AssistantPanelController::setSurfaceMode(SurfaceMode mode) {
    surfaceMode_ = mode;
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

void AssistantPanelController::attach(NiveloAppState* appState) {
    appState_ = appState;
}

void AssistantPanelController::show(const QString&) {}
void AssistantPanelController::showReply(const QString&, const AIReplyStyle&, const QString&) {}
void AssistantPanelController::setContextEnabled(bool enabled) {
    setContextEnabledFlag(enabled);
}
void AssistantPanelController::newChat() {}
void AssistantPanelController::run() {}
void AssistantPanelController::copyResult() {}
void AssistantPanelController::copyMessage(const AssistantConversationTurn&) {}
void AssistantPanelController::selectReplyStyle(const QString&) {}
void AssistantPanelController::regenerateReply() {}
void AssistantPanelController::addEmojisToReply() {}
void AssistantPanelController::translateReply() {}
void AssistantPanelController::selectReplyTranslationLanguage(const QString& language) {
    setReplyTranslationLanguage(language);
}
void AssistantPanelController::pasteResult() {}

QSize AssistantPanelController::savedPanelSize() const {
    return {kDefaultWidth, kDefaultHeight};
}

void AssistantPanelController::savePanelSize(QSize) {}
