#include "assistant/AssistantReplyMode.h"

#include <algorithm>
#include <exception>

#include "assistant/AssistantPanelController.h"
#include "backend/BackendClient.h"
#include "base/Async.h"
#include "base/NiveloError.h"
#include "base/Text.h"
#include "core/ActionStatus.h"
#include "core/BackendAction.h"
#include "core/PromptStyle.h"

namespace {

const QString kNotAssigned = QStringLiteral("Not assigned");

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

AssistantReplyMode::AssistantReplyMode(AssistantPanelController& panel)
    : panel_(panel), transformID_(QUuid::createUuid()) {}

void AssistantReplyMode::forget() {
    translationSource_.clear();
    // A translation of the old reply must not land in the new chat.
    transformToken_.cancel();
    transformID_ = QUuid::createUuid();
}

void AssistantReplyMode::show(const QString& message, const AIReplyStyle& style,
                              const QString& targetLanguage) {
    AssistantPanelController& panel = panel_;
    const QString trimmed = text::trimmed(message);
    if (trimmed.isEmpty() || panel.isRunning_) {
        return;
    }
    panel.newChat();
    // Whatever the old conversation still has on its way belongs to it.
    panel.beginRequest();
    panel.show(trimmed);
    panel.setReplyMode(true);
    panel.setReplyStyleName(style.name);
    panel.setSelectedReplyStyleID(style.id);
    panel.setContextText(trimmed);
    panel.setContextEnabledFlag(true);
    generate(trimmed, style, targetLanguage);
}

void AssistantReplyMode::generate(const QString& message, const AIReplyStyle& style,
                                  const QString& targetLanguage) {
    AssistantPanelController& panel = panel_;
    const QString trimmed = text::trimmed(message);
    if (trimmed.isEmpty() || panel.isRunning_) {
        return;
    }
    panel.setRunning(true);
    panel.setErrorText(QString());
    panel.setResultText(QString());
    panel.setTurns({});
    // The old reply is no longer shown: should this request fail, no translation or paste may
    // bring it back.
    translationSource_.clear();
    panel.setStatus(ActionStatus::running(
        panel.tr(QStringLiteral("Writing reply"), QStringLiteral("Готовлю ответ"))));
    runReply(QPointer<AssistantPanelController>(&panel), panel.backend_, panel.beginRequest(),
             trimmed, style, targetLanguage);
}

QCoro::Task<> AssistantReplyMode::runReply(QPointer<AssistantPanelController> self,
                                           std::shared_ptr<BackendClient> backend, quint64 request,
                                           QString message, AIReplyStyle style,
                                           QString targetLanguage) {
    try {
        BackendClient::ReplyArguments arguments{
            .message = message, .style = style, .targetLanguage = targetLanguage};
        const QString reply = co_await backend->sendReply(std::move(arguments));
        if (!self || !self->isCurrent(request)) {
            co_return;
        }
        self->setTurns({self->newTurn(message, reply)});
        self->setResultText(reply);
        self->reply_.translationSource_ = reply;
        self->setRunning(false);
        self->setStatus(ActionStatus::done(
            self->tr(QStringLiteral("Reply ready"), QStringLiteral("Ответ готов"))));
    } catch (const std::exception& e) {
        if (self && self->isCurrent(request)) {
            self->failRequest(errorDescription(e));
        }
    }
}

void AssistantReplyMode::selectStyle(const QString& styleId) {
    AssistantPanelController& panel = panel_;
    if (!panel.isReplyMode_) {
        return;
    }
    const QList<AIReplyStyle>& styles = panel.replyStyles_;
    const auto style = std::find_if(styles.cbegin(), styles.cend(),
                                    [&](const AIReplyStyle& s) { return s.id == styleId; });
    if (style == styles.cend() || panel.isRunning_) {
        return;
    }
    const AIReplyStyle chosen = *style;
    panel.setSelectedReplyStyleID(chosen.id);
    panel.setReplyStyleName(chosen.name);
    generate(panel.contextText_, chosen, panel.settingsTargetLanguage());
}

void AssistantReplyMode::regenerate() {
    AssistantPanelController& panel = panel_;
    if (!panel.isReplyMode_) {
        return;
    }
    const QList<AIReplyStyle>& styles = panel.replyStyles_;
    const auto style = std::find_if(styles.cbegin(), styles.cend(), [&](const AIReplyStyle& s) {
        return s.id == panel.selectedReplyStyleID_;
    });
    if (style == styles.cend() || panel.isRunning_) {
        return;
    }
    generate(panel.contextText_, *style, panel.settingsTargetLanguage());
}

void AssistantReplyMode::addEmojis() {
    AssistantPanelController& panel = panel_;
    const QString text = text::trimmed(panel.resultText_);
    if (!panel.isReplyMode_ || text.isEmpty() || panel.isRunning_) {
        return;
    }
    panel.setRunning(true);
    panel.setErrorText(QString());
    panel.setStatus(ActionStatus::running(
        panel.tr(QStringLiteral("Adding emojis"), QStringLiteral("Добавляю смайлы"))));
    runEmojis(QPointer<AssistantPanelController>(&panel), panel.backend_, panel.beginRequest(),
              text, panel.settingsTargetLanguage());
}

QCoro::Task<> AssistantReplyMode::runEmojis(QPointer<AssistantPanelController> self,
                                            std::shared_ptr<BackendClient> backend, quint64 request,
                                            QString text, QString targetLanguage) {
    try {
        BackendRequestArguments arguments{.action = BackendAction::emoji,
                                          .style = emojiStyle(),
                                          .targetLanguage = targetLanguage};
        const QString result = co_await backend->send(text, std::move(arguments));
        if (!self || !self->isCurrent(request)) {
            co_return;
        }
        self->setResultText(result);
        self->reply_.translationSource_ = result;
        self->reply_.replaceLastResult(result);
        self->setRunning(false);
        self->setStatus(ActionStatus::done(
            self->tr(QStringLiteral("Emojis added"), QStringLiteral("Смайлы добавлены"))));
    } catch (const std::exception& e) {
        if (self && self->isCurrent(request)) {
            self->failRequest(errorDescription(e));
        }
    }
}

void AssistantReplyMode::translate() {
    AssistantPanelController& panel = panel_;
    const QString source =
        text::trimmed(translationSource_.isEmpty() ? panel.resultText_ : translationSource_);
    if (!panel.isReplyMode_ || source.isEmpty() || panel.isRunning_) {
        return;
    }
    transformToken_.cancel();
    transformToken_ = CancelToken();
    transformID_ = QUuid::createUuid();
    panel.setRunning(true);
    panel.setErrorText(QString());
    panel.setStatus(ActionStatus::running(
        panel.tr(QStringLiteral("Translating reply"), QStringLiteral("Перевожу ответ"))));
    runTranslation(QPointer<AssistantPanelController>(&panel), panel.backend_, panel.beginRequest(),
                   source, transformID_, transformToken_);
}

QCoro::Task<> AssistantReplyMode::runTranslation(QPointer<AssistantPanelController> self,
                                                 std::shared_ptr<BackendClient> backend,
                                                 quint64 request, QString source, QUuid stamp,
                                                 CancelToken token) {
    const QString language = self->replyTranslationLanguage_;
    const auto stale = [&] {
        return !self || token.isCancelled() || self->reply_.transformID_ != stamp ||
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
        self->reply_.replaceLastResult(translation);
        self->setRunning(false);
        self->setStatus(ActionStatus::done(
            self->tr(QStringLiteral("Reply translated"), QStringLiteral("Ответ переведён"))));
    } catch (const std::exception& e) {
        if (!stale()) {
            self->failRequest(errorDescription(e));
        }
    }
}

void AssistantReplyMode::selectTranslationLanguage(const QString& language) {
    if (language == panel_.replyTranslationLanguage_) {
        return;
    }
    panel_.setReplyTranslationLanguage(language);
    translate();
}

void AssistantReplyMode::replaceLastResult(const QString& result) {
    AssistantPanelController& panel = panel_;
    if (panel.turns_.isEmpty()) {
        return;
    }
    QList<AssistantConversationTurn> turns = panel.turns_;
    turns.last() = panel.newTurn(turns.last().request, result);
    panel.setTurns(turns);
}

void AssistantReplyMode::paste() {
    AssistantPanelController& panel = panel_;
    const auto& deps = panel.deps_;
    const std::optional<qint64> process =
        deps.rememberedProcess ? deps.rememberedProcess() : std::nullopt;
    if (panel.resultText_.isEmpty() || !process || !deps.pasteAIReply) {
        panel.setStatus(
            ActionStatus::failed(panel.tr(QStringLiteral("No app found for paste"),
                                          QStringLiteral("Не найдено приложение для вставки"))));
        return;
    }
    panel.hidePanel();
    QPointer<AssistantPanelController> self(&panel);
    const qint64 target = *process;
    launchLater(&panel, [self, target] { runPaste(self, target); });
}

QCoro::Task<> AssistantReplyMode::runPaste(QPointer<AssistantPanelController> self,
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
