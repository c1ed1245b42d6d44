#include "AssistantFixture.h"
#include "assistant/LanguageCode.h"
#include "core/NiveloPromptLibrary.h"

// A reply written, decorated, translated twice and pasted, in both languages.
TEST_F(AssistantTest, AReplyIsWrittenDecoratedTranslatedFromItsSourceAndPasted) {
    for (UiLanguage language : {UiLanguage::en, UiLanguage::ru}) {
        const bool ru = language == UiLanguage::ru;
        attach();
        setLanguage(language);
        state.editSettings([](NiveloSettings& s) { s.aiContextEnabled = false; });
        backend.sent.clear();
        controller.showReply(" \n ", state.aiReplyStyles().first(), "English");
        EXPECT_TRUE(backend.sent.isEmpty());
        const AIReplyStyle style = state.aiReplyStyles().at(1);
        controller.showReply("  See you at five? \n", style, "English");
        controller.showReply("Ignored while running", style, "English");
        shown();
        settle();
        ASSERT_EQ(backend.sent.size(), 1);
        EXPECT_EQ(backend.sent.first().replyTo, "See you at five?");
        EXPECT_TRUE(controller.isReplyMode());
        EXPECT_TRUE(state.settings().aiContextEnabled);
        EXPECT_EQ(controller.replyStyleName(), style.name);
        EXPECT_EQ(controller.selectedReplyStyleID(), style.id);
        ASSERT_EQ(controller.turns().size(), 1);
        EXPECT_EQ(controller.turns().first().request, "See you at five?");
        EXPECT_EQ(controller.resultText(), "SEE YOU AT FIVE?");

        controller.addEmojisToReply();
        settle();
        EXPECT_EQ(backend.sent.last().action, "emoji");
        EXPECT_EQ(backend.sent.last().writingStyle, "Emoji");
        EXPECT_EQ(backend.sent.last().text, "SEE YOU AT FIVE?");
        // Each translation comes from the emoji version; an unchanged one is not asked again.
        backend.answer = [](const SentRequest& r) {
            return ClockedBackend::Answer{r.targetLanguage == "French" ? r.text
                                                                       : r.targetLanguage + ": " + r.text};
        };
        QUuid lastTurn = controller.turns().first().id;
        for (const QString target : {"German", "French"}) {
            controller.selectReplyTranslationLanguage(target);
            settle();
            EXPECT_EQ(backend.sent.last().targetLanguage, target);
            EXPECT_EQ(backend.sent.last().action, "translate");
            EXPECT_EQ(backend.sent.last().text, "SEE YOU AT FIVE?");
            EXPECT_NE(controller.turns().last().id, lastTurn);
            lastTurn = controller.turns().last().id;
        }
        EXPECT_EQ(backend.sent.size(), 4);
        controller.selectReplyTranslationLanguage("French");
        EXPECT_EQ(backend.sent.size(), 4);
        EXPECT_EQ(controller.turns().last().result, "SEE YOU AT FIVE?");
        backend.answer = {};

        controller.pasteResult();
        EXPECT_TRUE(controller.isPanelVisible());
        remembered = 4242;
        controller.pasteResult();
        EXPECT_FALSE(controller.isPanelVisible());
        settle();
        ASSERT_EQ(pastes.size(), 1);
        EXPECT_EQ(pastes.takeFirst(), std::make_pair(QString("SEE YOU AT FIVE?"), qint64(4242)));
        remembered.reset();
        EXPECT_EQ(shown(),
                  ru ? QStringList{"running: Готовлю ответ", "done: Ответ готов",
                                   "running: Добавляю смайлы", "done: Смайлы добавлены",
                                   "running: Перевожу ответ", "done: Ответ переведён",
                                   "running: Перевожу ответ", "done: Ответ переведён",
                                   "failed: Не найдено приложение для вставки", "done: Вставлено"}
                     : QStringList{"running: Writing reply", "done: Reply ready",
                                   "running: Adding emojis", "done: Emojis added",
                                   "running: Translating reply", "done: Reply translated",
                                   "running: Translating reply", "done: Reply translated",
                                   "failed: No app found for paste", "done: Pasted"});
    }
}

// Style switches and regenerations ask only in reply mode, for an offered style, when idle.
TEST_F(AssistantTest, StyleSwitchAndRegenerateAskOnlyWhenTheyCan) {
    attach();
    const QList<AIReplyStyle> styles = state.aiReplyStyles();
    controller.selectReplyStyle(styles.at(1).id);
    controller.regenerateReply();
    EXPECT_TRUE(backend.sent.isEmpty());
    controller.showReply("Hello", styles.at(0), "English");
    controller.selectReplyStyle(styles.at(1).id);
    controller.regenerateReply();
    settle();
    controller.selectReplyStyle("no-such-style");
    EXPECT_EQ(backend.sent.size(), 1);
    controller.selectReplyStyle(styles.at(2).id);
    settle();
    EXPECT_EQ(backend.sent.size(), 2);
    EXPECT_EQ(controller.replyStyleName(), styles.at(2).name);
    state.editSettings([&](NiveloSettings& s) { s.aiReplyStyles.removeAt(2); });
    VirtualClock::flushEvents();
    controller.regenerateReply();
    EXPECT_EQ(backend.sent.size(), 2);

    // A failed regenerate leaves nothing but the error.
    controller.selectReplyStyle(styles.at(1).id);
    backend.answer = [](const SentRequest&) { return ClockedBackend::Answer{{}, 10, true}; };
    controller.regenerateReply();
    settle();
    EXPECT_TRUE(controller.turns().isEmpty());
    EXPECT_TRUE(controller.resultText().isEmpty());
    EXPECT_EQ(controller.errorText(), "Server is busy.");
}

TEST(LanguageCode, GivesTheBadgeOfEveryListedLanguage) {
    const QList<std::pair<QString, QString>> cases{
        {"English", "EN"},    {"German", "DE"},         {"Chinese (Simplified)", "ZH"},
        {"Chinese (Traditional)", "ZH"}, {"Filipino", "TL"}, {"Russian", "RU"},
        {"Klingonese", "KL"}};
    for (const auto& [name, code] : cases) {
        EXPECT_EQ(languageCode(name), code) << name.toStdString();
    }
    for (const QString& name : NiveloPromptLibrary::languages()) {
        EXPECT_EQ(languageCode(name).size(), 2) << name.toStdString();
    }
}
