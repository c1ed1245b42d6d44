#include "AssistantFixture.h"

// Attaching copies six fields and the settings keep four of them current (the reply language
// stays the panel's own); the panel opens at its saved size near the pointer, and stays where it
// is while shown.
TEST_F(AssistantTest, AttachFollowsTheStateAndShowPlacesThePanel) {
    for (const auto& [width, height, opens] : {std::tuple{0., 0., QSize(620, 680)},
                                               {400., 1000., QSize(620, 680)},
                                               {1000., 1000., QSize(920, 900)},
                                               {500., 600., QSize(500, 600)}}) {
        panelDefaults.setDouble(AssistantPanelController::kWidthKey, width);
        panelDefaults.setDouble(AssistantPanelController::kHeightKey, height);
        EXPECT_EQ(controller.savedPanelSize(), opens) << width << "x" << height;
    }
    state.editSettings([](NiveloSettings& s) {
        s.appearanceMode = AppearanceMode::liquidMint;
        s.targetLanguage = "German";
    });
    attach(UiLanguage::ru);
    EXPECT_EQ(controller.appearanceMode(), AppearanceMode::liquidMint);
    EXPECT_EQ(controller.uiLanguage(), UiLanguage::ru);
    EXPECT_EQ(controller.replyStyles(), state.aiReplyStyles());
    screens.pointerAt = {100, 700};
    controller.show("  Selected words \n");
    ASSERT_EQ(controller.panel()->kind(), PanelWindow::Kind::key);
    EXPECT_EQ(controller.panel()->pos(), QPoint(114, 860 - 600 - 16));
    EXPECT_EQ(controller.contextText(), "Selected words");
    EXPECT_TRUE(state.settings().aiContextEnabled);
    state.editSettings([](NiveloSettings& s) {
        s.aiContextEnabled = false;
        s.targetLanguage = "French";
        s.aiReplyStyles.removeFirst();
    });
    VirtualClock::flushEvents();
    EXPECT_EQ(controller.replyStyles(), state.settings().aiReplyStyles);
    EXPECT_EQ(controller.replyTranslationLanguage(), "German");
    screens.pointerAt = {900, 200};
    controller.show(" \n ");
    EXPECT_EQ(controller.panel()->pos(), QPoint(114, 244));
    EXPECT_EQ(controller.contextText(), "Selected words");
    EXPECT_FALSE(controller.contextEnabled());
    controller.hidePanel();
    controller.show("");
    EXPECT_EQ(controller.panel()->pos(), QPoint(914, 200 - 18));
    Q_EMIT controller.panel()->userResized(QSize(300, 700));
    EXPECT_EQ(panelDefaults.doubleValue(AssistantPanelController::kWidthKey), 480);
    EXPECT_EQ(panelDefaults.doubleValue(AssistantPanelController::kHeightKey), 700);
}

// In both languages: a blank request, one that succeeds (its long context framed, sent whole),
// one sent while it runs, one that fails, one without its context, then a new chat.
TEST_F(AssistantTest, RunSendsTheFramedRequestWholeAndReportsEachOutcome) {
    for (UiLanguage language : {UiLanguage::en, UiLanguage::ru}) {
        const auto text = [&](const char* en, const char* ru) { return tr2(language, en, ru); };
        attach(language);
        controller.show(QString(6000, 'c'));
        statuses.clear();
        backend.sent.clear();
        controller.setRequestText(" \n ");
        controller.run();
        EXPECT_EQ(controller.errorText(), text("Enter a request.", "Введите запрос."));
        EXPECT_TRUE(backend.sent.isEmpty() && statuses.isEmpty());

        controller.setRequestText("  Shorten it \n");
        controller.run();
        controller.run();
        settle();
        ASSERT_EQ(backend.sent.size(), 1);
        const SentRequest sent = backend.sent.first();
        EXPECT_EQ(sent["text"],
                  "Selected text:\n" + QString(6000, 'c') + "\n\nRequest:\nShorten it");
        EXPECT_EQ(sent["action"], "assistant");
        EXPECT_EQ(sent["targetLanguage"], "English");
        EXPECT_EQ(sent["assistantSessionId"],
                  QUuid(sent["assistantSessionId"]).toString(QUuid::WithoutBraces).toUpper());
        EXPECT_EQ(sent["assistantSessionId"], controller.assistantSessionId());
        EXPECT_EQ(sent["assistantKeepContext"], "true");
        ASSERT_EQ(controller.turns().size(), 1);
        EXPECT_EQ(controller.turns().first().request, "Shorten it");
        EXPECT_EQ(controller.resultText(), sent["text"].toUpper());
        EXPECT_TRUE(controller.requestText().isEmpty() && controller.errorText().isEmpty());

        backend.answer = [](const SentRequest&) { return ClockedBackend::Answer{{}, 10, true}; };
        controller.setRequestText("Again");
        controller.run();
        settle();
        EXPECT_EQ(controller.errorText(), "Server is busy.");
        EXPECT_EQ(controller.requestText(), "Again");
        EXPECT_EQ(controller.turns().size(), 1);

        backend.answer = {};
        controller.setContextEnabled(false);
        controller.run();
        settle();
        EXPECT_EQ(backend.sent.last()["text"], "Again");
        ASSERT_EQ(controller.turns().size(), 2);
        // A's timer, running out while B is marked, leaves B's mark alone.
        controller.copyMessage(controller.turns().first());
        desktop.clock.advance(600);
        controller.copyMessage(controller.turns().last());
        EXPECT_EQ(desktop.pasteboard.plainText(), "AGAIN");
        desktop.clock.advance(1099);
        EXPECT_EQ(controller.copiedTurnID(), controller.turns().last().id);
        desktop.clock.advance(1);
        EXPECT_EQ(controller.copiedTurnID(), std::nullopt);

        controller.selectReplyTranslationLanguage("Italian");
        controller.newChat();
        EXPECT_TRUE(controller.contextText().isEmpty() && controller.turns().isEmpty());
        EXPECT_TRUE(controller.resultText().isEmpty() && !controller.isRunning());
        EXPECT_NE(controller.assistantSessionId(), sent["assistantSessionId"]);
        EXPECT_EQ(controller.replyTranslationLanguage(), "Italian");
        const QString run = text("running: AI running", "running: AI выполняется"),
                      ready = text("done: AI ready", "done: AI готов"),
                      copied = text("done: Copied", "done: Скопировано");
        EXPECT_EQ(statuses,
                  (QStringList{run, ready, run, "failed: Server is busy.", run, ready, copied,
                               copied, text("done: New AI chat", "done: Новый AI-чат")}));
    }
}

TEST_F(AssistantTest, AnAnswerLandsOnlyInTheConversationThatAskedForIt) {
    attach();
    const AIReplyStyle style = state.aiReplyStyles().first();
    backend.answer = [](const SentRequest& r) {
        return r["action"] == "assistant" ? ClockedBackend::Answer{"to " + r["text"], 5000}
                                          : ClockedBackend::Answer{"Yes", 100};
    };
    controller.setRequestText("Old question");
    controller.run();
    controller.newChat();
    controller.showReply("Are you coming?", style, "English");
    settle();
    EXPECT_EQ(controller.turns().size(), 1);
    EXPECT_EQ(controller.resultText(), "Yes");

    // After a new chat alone the answer still belongs: appended, the new draft kept.
    controller.newChat();
    controller.setRequestText("Question");
    controller.run();
    controller.newChat();
    controller.setRequestText("Typed meanwhile");
    settle();
    EXPECT_EQ(controller.turns().size(), 1);
    EXPECT_EQ(controller.resultText(), "to Question");
    EXPECT_EQ(controller.requestText(), "Typed meanwhile");
}
