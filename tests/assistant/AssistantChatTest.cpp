#include "AssistantFixture.h"

// Six fields come from the state; afterwards the settings keep four of them current, while the
// reply language stays the panel's own.
TEST_F(AssistantTest, AttachCopiesTheStateAndFollowsItsSettingsButTheReplyLanguage) {
    state.editSettings([](NiveloSettings& s) {
        s.appearanceMode = AppearanceMode::liquidMint;
        s.uiLanguage = UiLanguage::ru;
        s.aiContextEnabled = true;
        s.targetLanguage = "German";
        s.aiReplyStyles = {s.aiReplyStyles.at(2)};
    });
    attach();
    EXPECT_EQ(controller.appearanceMode(), AppearanceMode::liquidMint);
    EXPECT_EQ(controller.surfaceMode(), state.systemSurfaceMode());
    EXPECT_EQ(controller.uiLanguage(), UiLanguage::ru);
    EXPECT_TRUE(controller.contextEnabled());
    EXPECT_EQ(controller.replyStyles(), state.aiReplyStyles());
    EXPECT_EQ(controller.replyTranslationLanguage(), "German");
    state.editSettings([](NiveloSettings& s) {
        s.uiLanguage = UiLanguage::en;
        s.aiContextEnabled = false;
        s.targetLanguage = "French";
        s.aiReplyStyles = {};
    });
    VirtualClock::flushEvents();
    EXPECT_EQ(controller.uiLanguage(), UiLanguage::en);
    EXPECT_FALSE(controller.contextEnabled());
    EXPECT_TRUE(controller.replyStyles().isEmpty());
    EXPECT_EQ(controller.replyTranslationLanguage(), "German");
}

TEST_F(AssistantTest, ShowOpensAtTheSavedSizeNearThePointerAndKeepsAShownPanelWhereItIs) {
    struct Case {
        double width, height;
        QSize opens;
    };
    for (const Case& c : {Case{0, 0, {620, 680}}, Case{400, 1000, {620, 680}},
                          Case{1000, 1000, {920, 900}}, Case{500, 600, {500, 600}}}) {
        panelDefaults.setDouble(AssistantPanelController::kWidthKey, c.width);
        panelDefaults.setDouble(AssistantPanelController::kHeightKey, c.height);
        EXPECT_EQ(controller.savedPanelSize(), c.opens) << c.width << "x" << c.height;
    }
    attach();
    screens.pointerAt = {100, 700};
    controller.show("  Selected words \n");
    ASSERT_TRUE(controller.isPanelVisible());
    EXPECT_EQ(controller.panel()->kind(), PanelWindow::Kind::key);
    EXPECT_EQ(controller.panel()->pos(), QPoint(114, 860 - 600 - 16));
    EXPECT_EQ(controller.contextText(), "Selected words");
    EXPECT_TRUE(state.settings().aiContextEnabled);
    controller.setContextEnabled(false);
    EXPECT_FALSE(state.settings().aiContextEnabled);
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

// The road of a chat in both languages: a blank request, one that succeeds, one sent while it
// runs, one that fails, and one without its context.
TEST_F(AssistantTest, RunSendsTheFramedRequestAndReportsEachOutcome) {
    for (UiLanguage language : {UiLanguage::en, UiLanguage::ru}) {
        const bool ru = language == UiLanguage::ru;
        attach();
        setLanguage(language);
        controller.newChat();
        controller.show("The context");
        shown();
        backend.sent.clear();
        backend.answer = {};
        controller.setRequestText(" \n ");
        controller.run();
        EXPECT_EQ(controller.errorText(), ru ? "Введите запрос." : "Enter a request.");
        EXPECT_TRUE(backend.sent.isEmpty());
        EXPECT_TRUE(shown().isEmpty());

        controller.setRequestText("  Shorten it \n");
        controller.run();
        controller.run();
        EXPECT_TRUE(controller.errorText().isEmpty());
        settle();
        ASSERT_EQ(backend.sent.size(), 1);
        const SentRequest& sent = backend.sent.first();
        EXPECT_EQ(sent.text, "Selected text:\nThe context\n\nRequest:\nShorten it");
        EXPECT_EQ(sent.action, "assistant");
        EXPECT_EQ(sent.targetLanguage, "English");
        EXPECT_EQ(sent.sessionId, controller.assistantSessionId());
        EXPECT_EQ(sent.sessionId,
                  QUuid(sent.sessionId).toString(QUuid::WithoutBraces).toUpper());
        EXPECT_TRUE(sent.keepContext);
        ASSERT_EQ(controller.turns().size(), 1);
        EXPECT_EQ(controller.turns().first().request, "Shorten it");
        EXPECT_EQ(controller.turns().first().result, sent.text.toUpper());
        EXPECT_EQ(controller.resultText(), sent.text.toUpper());
        EXPECT_TRUE(controller.requestText().isEmpty());
        EXPECT_EQ(shown(), ru ? QStringList{"running: AI выполняется", "done: AI готов"}
                              : QStringList{"running: AI running", "done: AI ready"});

        backend.answer = [](const SentRequest&) { return ClockedBackend::Answer{{}, 10, true}; };
        controller.setRequestText("Again");
        controller.run();
        settle();
        EXPECT_EQ(controller.errorText(), "Server is busy.");
        EXPECT_EQ(controller.requestText(), "Again");
        EXPECT_EQ(controller.turns().size(), 1);
        EXPECT_FALSE(controller.isRunning());
        EXPECT_EQ(shown().last(), "failed: Server is busy.");

        backend.answer = {};
        controller.setContextEnabled(false);
        controller.run();
        settle();
        EXPECT_EQ(backend.sent.last().text, "Again");
        EXPECT_TRUE(controller.errorText().isEmpty());
        EXPECT_EQ(controller.turns().size(), 2);
    }
}

TEST_F(AssistantTest, ALongFramedRequestGoesOutAsOneRequest) {
    controller.show(QString(6000, 'c'));
    controller.setRequestText("Summarize");
    controller.run();
    settle();
    ASSERT_EQ(backend.sent.size(), 1);
    EXPECT_EQ(backend.sent.first().text,
              "Selected text:\n" + QString(6000, 'c') + "\n\nRequest:\nSummarize");
    EXPECT_EQ(controller.turns().size(), 1);
}

TEST_F(AssistantTest, NewChatClearsTheConversationButKeepsTheContextSwitchAndReplyLanguage) {
    attach();
    setLanguage(UiLanguage::ru);
    controller.show("Context");
    controller.setRequestText("Question");
    controller.run();
    settle();
    controller.selectReplyTranslationLanguage("Italian");
    const QString session = controller.assistantSessionId();
    shown();
    controller.newChat();
    EXPECT_TRUE(controller.contextText().isEmpty());
    EXPECT_TRUE(controller.resultText().isEmpty());
    EXPECT_TRUE(controller.turns().isEmpty());
    EXPECT_FALSE(controller.isRunning());
    EXPECT_NE(controller.assistantSessionId(), session);
    EXPECT_TRUE(controller.contextEnabled());
    EXPECT_EQ(controller.replyTranslationLanguage(), "Italian");
    EXPECT_EQ(shown(), QStringList{"done: Новый AI-чат"});
}

// A's timer, running out while B is marked, leaves B's mark alone.
TEST_F(AssistantTest, ACopiedTurnKeepsItsMarkForItsOwnFullTime) {
    const AssistantConversationTurn a{QUuid::createUuid(), "q1", "answer A", {}};
    const AssistantConversationTurn b{QUuid::createUuid(), "q2", "answer B", {}};
    controller.copyMessage(a);
    desktop.clock.advance(600);
    controller.copyMessage(b);
    EXPECT_EQ(desktop.pasteboard.plainText(), "answer B");
    desktop.clock.advance(1099);
    EXPECT_EQ(controller.copiedTurnID(), b.id);
    desktop.clock.advance(1);
    EXPECT_EQ(controller.copiedTurnID(), std::nullopt);
}

// Every conversation only ever shows its own answers.
TEST_F(AssistantTest, AnAnswerLandsOnlyInTheConversationThatAskedForIt) {
    attach();
    const AIReplyStyle style = state.aiReplyStyles().first();
    backend.answer = [](const SentRequest& r) {
        return ClockedBackend::Answer{"to " + r.text, r.action == "assistant" ? 5000 : 100};
    };
    // Superseded by a reply: the chat answer is dropped.
    controller.setRequestText("Old question");
    controller.run();
    controller.newChat();
    controller.showReply("Are you coming?", style, "English");
    settle();
    ASSERT_EQ(controller.turns().size(), 1);
    EXPECT_EQ(controller.resultText(), "to Are you coming?");

    // After a new chat alone the answer still belongs: appended, the new draft kept.
    controller.newChat();
    controller.setRequestText("Question");
    controller.run();
    controller.newChat();
    controller.setRequestText("Typed meanwhile");
    settle();
    ASSERT_EQ(controller.turns().size(), 1);
    EXPECT_EQ(controller.resultText(), "to Question");
    EXPECT_EQ(controller.requestText(), "Typed meanwhile");

    // A translation in flight at a new chat changes nothing.
    controller.showReply("Hi", style, "English");
    settle();
    controller.selectReplyTranslationLanguage("German");
    controller.newChat();
    shown();
    settle();
    EXPECT_TRUE(controller.turns().isEmpty());
    EXPECT_TRUE(controller.resultText().isEmpty());
    EXPECT_TRUE(shown().isEmpty());
}
