// The translation preview controller: it reads the selection (Accessibility first, then a
// copy), shows the panel once the read is over, translates through its own backend client and
// lets the user copy or insert the translation. Only the latest request's outcome is shown.

#include "TranslationPreviewFixture.h"

using Size = QSize;

TEST_F(TranslationPreviewTest, TextSizeAndPanelSizeAreTakenWithinTheirLimits) {
    const struct {
        std::optional<double> stored;
        double expected;
    } fonts[] = {{11.5, 14}, {29, 14}, {std::nullopt, 14}, {12, 12}, {28, 28}, {12.5, 12.5}};
    for (const auto& f : fonts) {
        panelDefaults.remove(TranslationPreviewPanelController::kFontSizeKey);
        if (f.stored) {
            panelDefaults.setDouble(TranslationPreviewPanelController::kFontSizeKey, *f.stored);
        }
        EXPECT_EQ(makeController()->previewFontSize(), f.expected) << f.stored.value_or(0);
    }
    panelDefaults.remove(TranslationPreviewPanelController::kFontSizeKey);
    controller = makeController();
    controller->setPreviewFontSize(14);
    EXPECT_FALSE(panelDefaults.hasObject(TranslationPreviewPanelController::kFontSizeKey));
    controller->setPreviewFontSize(30);
    EXPECT_EQ(controller->previewFontSize(), 28);
    EXPECT_EQ(panelDefaults.doubleValue(TranslationPreviewPanelController::kFontSizeKey), 28);

    const struct {
        Size saved, expected;
    } sizes[] = {{{500, 900}, {680, 460}}, {{1200, 900}, {980, 860}}, {{700, 400}, {700, 400}}};
    for (const auto& s : sizes) {
        panelDefaults.setDouble(TranslationPreviewPanelController::kWidthKey, s.saved.width());
        panelDefaults.setDouble(TranslationPreviewPanelController::kHeightKey, s.saved.height());
        EXPECT_EQ(controller->savedPanelSize(), s.expected) << s.saved.width();
    }
    controller->show();
    controller->panel()->resize(990, 870);
    Q_EMIT controller->panel()->userResized(QSize(990, 870));
    EXPECT_EQ(panelDefaults.doubleValue(TranslationPreviewPanelController::kWidthKey), 990);
    EXPECT_EQ(panelDefaults.doubleValue(TranslationPreviewPanelController::kHeightKey), 870);
    controller = makeController();
    controller->show();
    EXPECT_EQ(controller->panel()->size(), QSize(980, 860));
}

// From the selection: the statuses in the interface language, the panel only after the read,
// the trimmed text sent for translation with the resend on, the source kept as read.
TEST_F(TranslationPreviewTest, ShowFromSelectionReadsThenShowsThenTranslates) {
    const struct {
        UiLanguage language;
        bool blankAccessibility;
        const char *reading, *translating, *ready;
    } cases[] = {
        {UiLanguage::en, false, "Reading selection", "Translating to German",
         "Translation preview ready"},
        {UiLanguage::ru, true, "Читаю выделение", "Перевожу на German",
         "Предпросмотр перевода готов"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(rawValue(c.language).toStdString());
        setLanguage(c.language);
        if (c.blankAccessibility) {
            blankAccessibilitySelection();
        }
        editor.setText("x  hallo \n", 1, 9);
        editor.copyCount = 0;
        controller->hide();
        recorded.clear();
        const int request = server.requestCount();
        controller->showFromSelection(*state);
        EXPECT_TRUE(controller->isRunning());
        VirtualClock::flushEvents();
        EXPECT_EQ(controller->isPanelVisible(), !c.blankAccessibility);
        settle();

        EXPECT_TRUE(controller->isPanelVisible());
        EXPECT_EQ(controller->sourceText(), "  hallo \n");
        EXPECT_EQ(controller->resultText(), "[HALLO]");
        EXPECT_FALSE(controller->isRunning());
        EXPECT_EQ(statuses(), (QList<ActionStatus>{running(c.reading), running(c.translating),
                                                   done(c.ready), idle()}));
        EXPECT_EQ(editor.copyCount, c.blankAccessibility ? 1 : 0);
        EXPECT_EQ(editor.selectAllCount, 0);
        EXPECT_EQ(sentField(request, "text"), "hallo");
        EXPECT_EQ(sentField(request, "action"), "translate");
        EXPECT_EQ(sentField(request, "targetLanguage"), "German");
        EXPECT_EQ(desktop.pasteboard.content(), userContent);
    }
    // The stand-in gives the text back unchanged: it is sent once more.
    server.setHandler([](const RecordedRequest&) { return CannedReply::result("hallo"); });
    const int before = server.requestCount();
    controller->showFromSelection(*state);
    settle();
    EXPECT_EQ(server.requestCount(), before + 2);
}

TEST_F(TranslationPreviewTest, AFailedReadShowsThePanelWithTheError) {
    editor.field->failing = {"AXSelectedText", "AXValue"};
    editor.setText("", 0, 0);
    controller->showFromSelection(*state);
    settle();
    EXPECT_TRUE(controller->isPanelVisible());
    EXPECT_FALSE(controller->isRunning());
    EXPECT_FALSE(controller->errorText().isEmpty());
    EXPECT_TRUE(controller->sourceText().isEmpty());
    EXPECT_TRUE(controller->resultText().isEmpty());
    EXPECT_EQ(statuses().at(1), failed(controller->errorText()));
    EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(TranslationPreviewTest, LanguageClipboardCopyAndInsert) {
    // A language change with no source saves the language and sends nothing.
    controller->setTargetLanguage("French");
    settle();
    EXPECT_EQ(state->settings().translatePreviewTargetLanguage, "French");
    EXPECT_EQ(state->settings().targetLanguage, "English");
    EXPECT_EQ(server.requestCount(), 0);

    // Copy and Insert do nothing without a result.
    controller->copyResult();
    controller->pasteResult();
    settle();
    EXPECT_EQ(desktop.pasteboard.content(), userContent);
    EXPECT_TRUE(statuses().isEmpty());

    for (UiLanguage language : {UiLanguage::en, UiLanguage::ru}) {
        setLanguage(language);
        VirtualClock::flushEvents();
        const bool ru = language == UiLanguage::ru;
        recorded.clear();
        desktop.pasteboard.clear();
        controller->pasteFromClipboardAndTranslate();
        const QString empty = ru ? "Буфер обмена пуст." : "Clipboard is empty.";
        EXPECT_EQ(controller->errorText(), empty);
        EXPECT_EQ(statuses(), QList<ActionStatus>{failed(empty)});

        desktop.pasteboard.clear();
        desktop.pasteboard.setPlainText(" \n word \n");
        recorded.clear();
        controller->pasteFromClipboardAndTranslate();
        settle();
        EXPECT_EQ(controller->sourceText(), "word");
        EXPECT_EQ(controller->resultText(), "[WORD]");
        EXPECT_TRUE(controller->errorText().isEmpty());
        EXPECT_EQ(sentField(server.requestCount() - 1, "targetLanguage"), "French");
        EXPECT_EQ(statuses().first(), running(ru ? "Перевожу из буфера" : "Translating clipboard"));

        // The same language again: no save, no request.
        const int requests = server.requestCount();
        controller->setTargetLanguage("French");
        settle();
        EXPECT_EQ(server.requestCount(), requests);

        recorded.clear();
        controller->copyResult();
        EXPECT_EQ(desktop.pasteboard.plainText(), "[WORD]");
        EXPECT_EQ(statuses(), QList<ActionStatus>{done(ru ? "Скопировано" : "Copied")});
    }

    // Insert: the panel hides first, then the translation goes where the selection was, with the
    // selection's own white space around it.
    editor.setText("say  hallo \nnow", 3, 9);
    controller->showFromSelection(*state);
    settle();
    EXPECT_EQ(controller->resultText(), "[HALLO]");
    putUserContent(desktop.pasteboard);
    userContent = desktop.pasteboard.content();
    recorded.clear();
    controller->pasteResult();
    VirtualClock::flushEvents();
    EXPECT_FALSE(controller->isPanelVisible());
    EXPECT_EQ(editor.pasteCount, 0);
    settle();
    EXPECT_EQ(editor.text, "say  [HALLO] \nnow");
    EXPECT_EQ(statuses(), (QList<ActionStatus>{done("Вставлено"), idle()}));
    EXPECT_EQ(desktop.pasteboard.content(), userContent);
}

// Two translations on their way: only the second one's answer is shown, whichever comes first,
// and the work is under way until it has come.
TEST_F(TranslationPreviewTest, ALateAnswerNeverReplacesANewerOne) {
    for (const char* slow : {"English", "French"}) {
        SCOPED_TRACE(slow);
        server.setHandler([slow](const RecordedRequest& request) {
            const auto body = json::parse(request.body);
            const QString language = json::qstr(body->at("targetLanguage").get<std::string>());
            CannedReply reply = CannedReply::result(language);
            reply.delayMs = language == slow ? 400 : 100;
            return reply;
        });
        controller = makeController();
        desktop.pasteboard.clear();
        desktop.pasteboard.setPlainText("text");
        controller->pasteFromClipboardAndTranslate();
        VirtualClock::flushEvents();
        controller->setTargetLanguage("French");
        VirtualClock::flushEvents();
        ASSERT_TRUE(waitUntil([&] { return transport.inFlight == 1; }));
        const bool secondFirst = QLatin1String(slow) == "English";
        EXPECT_EQ(controller->isRunning(), !secondFirst);
        EXPECT_EQ(controller->resultText(), secondFirst ? "French" : "");
        settle();
        EXPECT_EQ(controller->resultText(), "French");
        EXPECT_FALSE(controller->isRunning());
    }
}

// A press whose copy read is still going when a second press's Accessibility read returns:
// the second selection is the source and its translation the only one shown.
TEST_F(TranslationPreviewTest, AnOlderSelectionReadIsDropped) {
    blankAccessibilitySelection();
    editor.setText("first", 0, 5);
    controller->showFromSelection(*state);
    VirtualClock::flushEvents();
    EXPECT_FALSE(controller->isPanelVisible());
    editor.field->attributes.remove("AXSelectedText");
    editor.setText("second", 0, 6);
    controller->showFromSelection(*state);
    settle();
    EXPECT_EQ(controller->sourceText(), "second");
    EXPECT_EQ(controller->resultText(), "[SECOND]");
    ASSERT_EQ(server.requestCount(), 1);
    EXPECT_EQ(sentField(0, "text"), "second");
}
