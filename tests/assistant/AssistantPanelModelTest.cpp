#include <gtest/gtest.h>

#include "assistant/AssistantPanelModel.h"
#include "core/NiveloPromptLibrary.h"

namespace {

AssistantConversationTurn turn(const QString& request, const QString& result) {
    return {QUuid::createUuid(), request, result, {}};
}

// The texts of one interface language.
struct LanguageTexts {
    UiLanguage lang;
    QString chatTitle, newChat, replyStyle, empty, running, you;
    QString chipOn, chipOff, chars, placeholder, send, pasteResult;
    QString regenerate, emojis, language, translateTip, translate, copy, paste;
};

// clang-format off
const LanguageTexts kTexts[] = {
    {UiLanguage::en, "AI assistant", "New chat", "Reply style", "Response will appear here.",
     "Writing reply...", "You", "Context on", "Context", "3 chars", "Ask AI...", "Send",
     "Paste result", "Regenerate reply", "Add emojis", "Translation language", "Translate reply",
     "Translate", "Copy reply", "Paste reply"},
    {UiLanguage::ru, "AI помощник", "Новый чат", "Стиль ответа", "Ответ появится здесь.",
     "Готовлю ответ...", "Ты", "Контекст включен", "Контекст", "3 симв.", "Спросить AI...",
     "Отправить", "Вставить результат", "Повторить ответ", "Добавить смайлы", "Язык перевода",
     "Перевести ответ", "Перевод", "Скопировать ответ", "Вставить ответ"},
};
// clang-format on

}  // namespace

TEST(AssistantPanelModel, TextsOfBothLanguagesInChatAndReplyMode) {
    for (const LanguageTexts& t : kTexts) {
        SCOPED_TRACE(rawValue(t.lang).toStdString());
        AssistantPanelState s;
        s.uiLanguage = t.lang;
        s.contextText = QStringLiteral("ab\n");
        s.contextEnabled = true;
        s.turns = {turn("q", "a")};
        AssistantPanelModel m = assistantPanelModel(s);
        EXPECT_EQ(m.title, t.chatTitle);
        EXPECT_EQ(m.newChat.toolTip, t.newChat);
        EXPECT_EQ(m.newChat.symbol, "plus.message");
        EXPECT_EQ(m.userLabel, t.you);
        EXPECT_EQ(m.answerLabel, "AI");
        EXPECT_EQ(m.contextChipTitle, t.chipOn);
        EXPECT_EQ(m.contextChipSymbol, "checkmark.circle.fill");
        // Counted untrimmed: two letters and the line break.
        EXPECT_EQ(m.contextLength, t.chars);
        EXPECT_EQ(m.placeholder, t.placeholder);
        EXPECT_EQ(m.send.toolTip, t.send);
        EXPECT_EQ(m.pasteResultToolTip, t.pasteResult);

        s.contextEnabled = false;
        s.turns.clear();
        m = assistantPanelModel(s);
        EXPECT_EQ(m.contextChipTitle, t.chipOff);
        EXPECT_EQ(m.contextChipSymbol, "circle");
        EXPECT_EQ(m.emptyText, t.empty);
        s.isRunning = true;
        EXPECT_EQ(assistantPanelModel(s).emptyText, t.running);

        s.isReplyMode = true;
        m = assistantPanelModel(s);
        EXPECT_EQ(m.title, "AI Reply");
        EXPECT_EQ(m.replyStyleToolTip, t.replyStyle);
        EXPECT_EQ(m.regenerate.toolTip, t.regenerate);
        EXPECT_EQ(m.addEmojis.toolTip, t.emojis);
        EXPECT_EQ(m.languageChip.toolTip, t.language);
        EXPECT_EQ(m.translate.toolTip, t.translateTip);
        EXPECT_EQ(m.translateTitle, t.translate);
        EXPECT_EQ(m.copyReply.toolTip, t.copy);
        EXPECT_EQ(m.pasteReply.toolTip, t.paste);
    }
}

TEST(AssistantPanelModel, ControlsFollowModeRequestResultAndRunning) {
    struct Case {
        const char* name;
        bool replyMode, running;
        QString request, result, context;
        // Expected.
        bool sendEnabled, sendAccent;
        const char* sendSymbol;
        bool pasteResult;
        const char* contextLength;
        bool replyActions, languageChip, styleMenu;
    };
    const Case cases[] = {
        {"empty chat", false, false, "", "", "", false, false, "paperplane.fill", false, "", false,
         true, true},
        {"request typed", false, false, "hi", "", "", true, true, "paperplane.fill", false, "",
         false, true, true},
        {"blank request", false, false, " \n\t", "", " \n ", false, false, "paperplane.fill", false,
         "", false, true, true},
        {"running with text", false, true, "hi", "", "", false, true, "sparkles", false, "", false,
         false, false},
        {"result of spaces", false, false, "", "   ", "é🇩🇪x", false, false, "paperplane.fill", true,
         "3 chars", true, true, true},
        {"reply without result", true, false, "", "", "msg", false, false, "paperplane.fill", false,
         "3 chars", false, true, true},
        {"reply ready", true, false, "", "Sure!", "msg", false, false, "paperplane.fill", true,
         "3 chars", true, true, true},
        {"reply running", true, true, "", "Sure!", "msg", false, false, "sparkles", true, "3 chars",
         false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AssistantPanelState s;
        s.isReplyMode = c.replyMode;
        s.isRunning = c.running;
        s.requestText = c.request;
        s.resultText = c.result;
        s.contextText = c.context;
        const AssistantPanelModel m = assistantPanelModel(s);
        EXPECT_EQ(m.showsComposer, !c.replyMode);
        EXPECT_EQ(m.showsReplyBar, c.replyMode);
        EXPECT_EQ(m.showsNewChat, !c.replyMode);
        EXPECT_EQ(m.showsReplyStyleMenu, c.replyMode);
        EXPECT_TRUE(m.newChat.enabled);
        EXPECT_EQ(m.send.enabled, c.sendEnabled);
        EXPECT_EQ(m.send.accent, c.sendAccent);
        EXPECT_EQ(m.send.symbol, c.sendSymbol);
        EXPECT_EQ(m.showsPasteResult, c.pasteResult);
        EXPECT_EQ(m.contextLength, c.contextLength);
        EXPECT_EQ(m.replyStyleMenuEnabled, c.styleMenu);
        EXPECT_EQ(m.languageChip.enabled, c.languageChip);
        for (const AssistantSymbolControl* action :
             {&m.regenerate, &m.addEmojis, &m.translate, &m.copyReply, &m.pasteReply}) {
            EXPECT_EQ(action->enabled, c.replyActions) << action->toolTip.toStdString();
        }
    }
}

TEST(AssistantPanelModel, CheckMarksOnlyOnTheSelectedStyleAndTheCopiedTurn) {
    AssistantPanelState s;
    s.isReplyMode = true;
    s.replyStyles = {{"warm", "Warm & kind", "", ""}, {"short", "Short", "", ""}};
    s.selectedReplyStyleID = "short";
    s.replyStyleName = "Short";
    s.turns = {turn("one", "1"), turn("two", "2")};
    s.copiedTurnID = s.turns[1].id;
    AssistantPanelModel m = assistantPanelModel(s);
    EXPECT_EQ(m.replyStyleLabel, "Short");
    EXPECT_EQ(m.replyStyleEntries, (QList<AssistantReplyStyleEntry>{{"warm", "Warm & kind", false},
                                                                    {"short", "Short", true}}));
    ASSERT_EQ(m.turns.size(), 2);
    EXPECT_EQ(m.turns[0].copy, (AssistantSymbolControl{"doc.on.doc", "", true, false}));
    EXPECT_EQ(m.turns[1].copy, (AssistantSymbolControl{"checkmark", "", true, true}));
    EXPECT_EQ(m.turns[1].request, "two");

    // A selected id missing from the list marks nothing.
    s.selectedReplyStyleID = "gone";
    s.copiedTurnID.reset();
    m = assistantPanelModel(s);
    for (const AssistantReplyStyleEntry& entry : m.replyStyleEntries) {
        EXPECT_FALSE(entry.checked) << entry.id.toStdString();
    }
    for (const AssistantTurnModel& t : m.turns) {
        EXPECT_EQ(t.copy.symbol, "doc.on.doc");
    }
}

TEST(AssistantPanelModel, LanguageListHoldsEveryLanguageInOrderWithItsBadge) {
    const QList<AssistantLanguageRow> rows = assistantLanguageRows("German");
    const QStringList& names = NiveloPromptLibrary::languages();
    ASSERT_EQ(rows.size(), 100);
    ASSERT_EQ(rows.size(), names.size());
    int checked = 0;
    for (int i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].name, names[i]);
        EXPECT_EQ(rows[i].badge.size(), 2) << rows[i].name.toStdString();
        checked += rows[i].checked ? 1 : 0;
    }
    EXPECT_EQ(checked, 1);
    EXPECT_TRUE(rows[names.indexOf("German")].checked);
    EXPECT_EQ(rows[names.indexOf("German")].badge, "DE");

    AssistantPanelState s;
    s.isReplyMode = true;
    s.replyTranslationLanguage = "Filipino";
    EXPECT_EQ(assistantPanelModel(s).languageBadge, "TL");
}
