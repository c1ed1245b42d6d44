#include "AssistantFixture.h"
#include "assistant/LanguageCode.h"
#include "core/NiveloPromptLibrary.h"

// In both languages: a reply written, decorated, translated twice from its source, and pasted.
TEST_F(AssistantTest, AReplyIsWrittenDecoratedTranslatedFromItsSourceAndPasted) {
    for (UiLanguage language : {UiLanguage::en, UiLanguage::ru}) {
        attach(language);
        state.editSettings([](NiveloSettings& s) { s.aiContextEnabled = false; });
        backend.sent.clear();
        // An unchanged translation is not asked for again.
        backend.answer = [](const SentRequest& r) {
            return ClockedBackend::Answer{!r["replyTo"].isEmpty()           ? "Sure thing"
                                          : r["action"] == "emoji"          ? r["text"] + " :)"
                                          : r["targetLanguage"] == "French" ? r["text"]
                                                                            : "DE " + r["text"]};
        };
        const AIReplyStyle style = state.aiReplyStyles().at(1);
        statuses.clear();
        controller.showReply(" \n ", style, "English");
        EXPECT_FALSE(controller.isPanelVisible());
        controller.showReply("  See you at five? \n", style, "English");
        controller.showReply("Ignored while running", style, "English");
        settle();
        ASSERT_EQ(backend.sent.size(), 1);
        EXPECT_EQ(backend.sent.first()["replyTo"], "See you at five?");
        EXPECT_TRUE(controller.isReplyMode() && state.settings().aiContextEnabled);
        ASSERT_EQ(controller.turns().size(), 1);
        EXPECT_EQ(controller.turns().first().request, "See you at five?");
        EXPECT_EQ(controller.resultText(), "Sure thing");

        controller.addEmojisToReply();
        settle();
        EXPECT_EQ(backend.sent.last()["writingStyle"], "Emoji");
        EXPECT_EQ(backend.sent.last()["text"], "Sure thing");
        QUuid turn = controller.turns().first().id;
        for (const QString target : {"German", "French"}) {
            controller.selectReplyTranslationLanguage(target);
            settle();
            EXPECT_EQ(backend.sent.last()["targetLanguage"], target);
            EXPECT_EQ(backend.sent.last()["text"], "Sure thing :)");
            EXPECT_NE(std::exchange(turn, controller.turns().last().id), turn);
        }
        controller.selectReplyTranslationLanguage("French");
        EXPECT_EQ(backend.sent.size(), 4);

        controller.pasteResult();
        EXPECT_TRUE(controller.isPanelVisible());
        remembered = 4242;
        controller.pasteResult();
        EXPECT_FALSE(controller.isPanelVisible());
        settle();
        EXPECT_EQ(pastes.takeFirst(), std::make_pair(QString("Sure thing :)"), qint64(4242)));
        remembered.reset();
        const auto text = [&](const char* en, const char* ru) { return tr2(language, en, ru); };
        const QString translating = text("running: Translating reply", "running: Перевожу ответ"),
                      translated = text("done: Reply translated", "done: Ответ переведён");
        EXPECT_EQ(statuses, (QStringList{text("done: New AI chat", "done: Новый AI-чат"),
                                         text("running: Writing reply", "running: Готовлю ответ"),
                                         text("done: Reply ready", "done: Ответ готов"),
                                         text("running: Adding emojis", "running: Добавляю смайлы"),
                                         text("done: Emojis added", "done: Смайлы добавлены"),
                                         translating, translated, translating, translated,
                                         text("failed: No app found for paste",
                                              "failed: Не найдено приложение для вставки"),
                                         text("done: Pasted", "done: Вставлено")}));

        // A translation in flight at a new chat never lands in it.
        controller.selectReplyTranslationLanguage("Spanish");
        controller.newChat();
        const QStringList before = statuses;
        settle();
        EXPECT_TRUE(controller.turns().isEmpty() && controller.resultText().isEmpty());
        EXPECT_EQ(statuses, before);
    }
}

// Style switches and regenerations ask only in reply mode, for an offered style, when idle.
TEST_F(AssistantTest, StyleSwitchAndRegenerateAskOnlyWhenTheyCan) {
    state.addAIReplyStyle();
    attach();
    const QList<AIReplyStyle> styles = state.aiReplyStyles();
    controller.selectReplyStyle(styles.at(1).id);
    controller.regenerateReply();
    EXPECT_TRUE(backend.sent.isEmpty());
    controller.showReply(QString(3000, u'h'), styles.at(0), "English");  // sent whole
    controller.selectReplyStyle(styles.at(1).id);
    controller.regenerateReply();
    settle();
    controller.selectReplyStyle("no-such-style");
    controller.selectReplyStyle(styles.last().id);
    settle();
    EXPECT_EQ(backend.sent.size(), 2);
    EXPECT_EQ(controller.replyStyleName(), styles.last().name);
    state.deleteAIReplyStyle(styles.last());
    VirtualClock::flushEvents();
    controller.regenerateReply();
    EXPECT_EQ(backend.sent.size(), 2);

    // A failed regenerate leaves nothing but the error.
    controller.selectReplyStyle(styles.at(1).id);
    settle();
    backend.answer = [](const SentRequest&) { return ClockedBackend::Answer{{}, 10, true}; };
    controller.regenerateReply();
    settle();
    EXPECT_TRUE(controller.turns().isEmpty() && controller.resultText().isEmpty());
    EXPECT_EQ(controller.errorText(), "Server is busy.");
}

// After a failed regenerate or style switch the panel shows no reply, and neither a
// translation nor "Paste reply" brings back the one it replaced.
TEST_F(AssistantTest, AFailedRegenerateLeavesNothingToTranslateOrPaste) {
    attach();
    remembered = 4242;
    const QList<AIReplyStyle> styles = state.aiReplyStyles();
    const std::function<void()> retries[] = {[&] { controller.regenerateReply(); },
                                             [&] { controller.selectReplyStyle(styles.at(1).id); }};
    QString nextReply;
    for (const auto& retry : retries) {
        backend.answer = nullptr;
        controller.showReply("See you at five?", styles.at(0), "English");
        settle();
        ASSERT_EQ(controller.resultText(), "Fine, thanks");
        nextReply.clear();
        backend.answer = [&](const SentRequest& r) {
            return r["replyTo"].isEmpty()
                       ? ClockedBackend::Answer{"DE " + r["text"]}
                       : ClockedBackend::Answer{nextReply, 100, nextReply.isEmpty()};
        };
        retry();
        settle();
        ASSERT_EQ(controller.errorText(), "Server is busy.");
        const qsizetype asked = backend.sent.size();
        controller.selectReplyTranslationLanguage(
            controller.replyTranslationLanguage() == "German" ? "French" : "German");
        settle();
        controller.pasteResult();
        settle();
        EXPECT_EQ(backend.sent.size(), asked);
        EXPECT_TRUE(controller.resultText().isEmpty() && controller.turns().isEmpty());
        EXPECT_TRUE(pastes.isEmpty()) << pastes.value(0).first.toStdString();
        EXPECT_TRUE(controller.isPanelVisible());
        EXPECT_EQ(statuses.last(), "failed: No app found for paste");

        // The next reply that comes is the one translated and pasted.
        nextReply = "Sure thing";
        controller.regenerateReply();
        settle();
        controller.translateReply();
        settle();
        controller.pasteResult();
        settle();
        EXPECT_EQ(backend.sent.last()["text"], "Sure thing");
        EXPECT_EQ(pastes, (QList<std::pair<QString, qint64>>{{"DE Sure thing", 4242}}));
        pastes.clear();
    }
}

TEST(LanguageCode, GivesTheBadgeOfEveryListedLanguage) {
    for (const auto& [name, code] : {std::pair{"English", "EN"},
                                     {"German", "DE"},
                                     {"Chinese (Simplified)", "ZH"},
                                     {"Chinese (Traditional)", "ZH"},
                                     {"Filipino", "TL"},
                                     {"Klingonese", "KL"}}) {
        EXPECT_EQ(languageCode(name), code) << name;
    }
    for (const QString& name : NiveloPromptLibrary::languages()) {
        EXPECT_EQ(languageCode(name).size(), 2) << name.toStdString();
    }
}
