#include "assistant/AssistantPanelModel.h"

#include <QTextBoundaryFinder>

#include "assistant/AssistantPanelController.h"
#include "assistant/LanguageCode.h"
#include "core/NiveloPromptLibrary.h"

namespace {

// Characters as the user sees them: a letter with its combining marks or an emoji sequence
// counts once.
int perceivedLength(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() > 0) {
        ++count;
    }
    return count;
}

}  // namespace

AssistantPanelState AssistantPanelState::of(const AssistantPanelController& c,
                                            bool isLanguageListVisible) {
    AssistantPanelState s;
    s.uiLanguage = c.uiLanguage();
    s.isReplyMode = c.isReplyMode();
    s.isRunning = c.isRunning();
    s.contextText = c.contextText();
    s.contextEnabled = c.contextEnabled();
    s.requestText = c.requestText();
    s.resultText = c.resultText();
    s.turns = c.turns();
    s.copiedTurnID = c.copiedTurnID();
    s.errorText = c.errorText();
    s.replyStyleName = c.replyStyleName();
    s.replyStyles = c.replyStyles();
    s.selectedReplyStyleID = c.selectedReplyStyleID();
    s.replyTranslationLanguage = c.replyTranslationLanguage();
    s.isLanguageListVisible = isLanguageListVisible;
    return s;
}

AssistantPanelModel assistantPanelModel(const AssistantPanelState& s) {
    const UiLanguage lang = s.uiLanguage;
    AssistantPanelModel m;

    m.title = s.isReplyMode
                  ? QStringLiteral("AI Reply")
                  : tr2(lang, QStringLiteral("AI assistant"), QStringLiteral("AI помощник"));
    m.showsNewChat = !s.isReplyMode;
    m.newChat = {QStringLiteral("plus.message"),
                 tr2(lang, QStringLiteral("New chat"), QStringLiteral("Новый чат")), true, false};
    m.showsReplyStyleMenu = s.isReplyMode;
    m.replyStyleLabel = s.replyStyleName;
    m.replyStyleToolTip = tr2(lang, QStringLiteral("Reply style"), QStringLiteral("Стиль ответа"));
    m.replyStyleMenuEnabled = !s.isRunning;
    for (const AIReplyStyle& style : s.replyStyles) {
        m.replyStyleEntries.append({style.id, style.name, style.id == s.selectedReplyStyleID});
    }

    m.emptyText = s.isRunning ? tr2(lang, QStringLiteral("Writing reply..."),
                                    QStringLiteral("Готовлю ответ..."))
                              : tr2(lang, QStringLiteral("Response will appear here."),
                                    QStringLiteral("Ответ появится здесь."));
    m.userLabel = tr2(lang, QStringLiteral("You"), QStringLiteral("Ты"));
    m.answerLabel = QStringLiteral("AI");
    m.copyAnswerName =
        tr2(lang, QStringLiteral("Copy answer"), QStringLiteral("Скопировать ответ"));
    for (const AssistantConversationTurn& turn : s.turns) {
        const bool copied = s.copiedTurnID == turn.id;
        m.turns.append({turn.id,
                        turn.request,
                        turn.result,
                        {copied ? QStringLiteral("checkmark") : QStringLiteral("doc.on.doc"),
                         QString(), true, copied}});
    }

    m.errorText = s.errorText;

    const bool hasRequest = !s.requestText.trimmed().isEmpty();
    m.showsComposer = !s.isReplyMode;
    m.contextChipOn = s.contextEnabled;
    m.contextChipTitle =
        s.contextEnabled
            ? tr2(lang, QStringLiteral("Context on"), QStringLiteral("Контекст включен"))
            : tr2(lang, QStringLiteral("Context"), QStringLiteral("Контекст"));
    m.contextChipSymbol =
        s.contextEnabled ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("circle");
    if (!s.contextText.trimmed().isEmpty()) {
        m.contextLength = QString::number(perceivedLength(s.contextText)) +
                          tr2(lang, QStringLiteral(" chars"), QStringLiteral(" симв."));
    }
    m.showsPasteResult = !s.resultText.isEmpty();
    m.pasteResultToolTip =
        tr2(lang, QStringLiteral("Paste result"), QStringLiteral("Вставить результат"));
    m.placeholder = tr2(lang, QStringLiteral("Ask AI..."), QStringLiteral("Спросить AI..."));
    m.send = {s.isRunning ? QStringLiteral("sparkles") : QStringLiteral("paperplane.fill"),
              tr2(lang, QStringLiteral("Send"), QStringLiteral("Отправить")),
              !s.isRunning && hasRequest, hasRequest};

    const bool blocked = s.resultText.isEmpty() || s.isRunning;
    m.showsReplyBar = s.isReplyMode;
    m.regenerate = {
        QStringLiteral("arrow.clockwise"),
        tr2(lang, QStringLiteral("Regenerate reply"), QStringLiteral("Повторить ответ")), !blocked,
        false};
    m.addEmojis = {QStringLiteral("face.smiling"),
                   tr2(lang, QStringLiteral("Add emojis"), QStringLiteral("Добавить смайлы")),
                   !blocked, false};
    m.languageChip = {
        QStringLiteral("globe"),
        tr2(lang, QStringLiteral("Translation language"), QStringLiteral("Язык перевода")),
        !s.isRunning, false};
    m.languageBadge = languageCode(s.replyTranslationLanguage);
    m.translate = {QString(),
                   tr2(lang, QStringLiteral("Translate reply"), QStringLiteral("Перевести ответ")),
                   !blocked, false};
    m.translateTitle = tr2(lang, QStringLiteral("Translate"), QStringLiteral("Перевод"));
    m.copyReply = {QStringLiteral("doc.on.doc"),
                   tr2(lang, QStringLiteral("Copy reply"), QStringLiteral("Скопировать ответ")),
                   !blocked, false};
    m.pasteReply = {QStringLiteral("arrow.turn.down.left"),
                    tr2(lang, QStringLiteral("Paste reply"), QStringLiteral("Вставить ответ")),
                    !blocked, true};
    m.showsLanguageList = s.isLanguageListVisible;
    return m;
}

QList<AssistantLanguageRow> assistantLanguageRows(const QString& current) {
    // The badges never change; look them up once.
    static const QList<QString> badges = [] {
        QList<QString> result;
        for (const QString& name : NiveloPromptLibrary::languages()) {
            result.append(languageCode(name));
        }
        return result;
    }();
    QList<AssistantLanguageRow> rows;
    const QStringList& names = NiveloPromptLibrary::languages();
    rows.reserve(names.size());
    for (int i = 0; i < names.size(); ++i) {
        rows.append({names[i], badges[i], names[i] == current});
    }
    return rows;
}
