// The translation preview controller over the simulated desktop and the loopback backend.

#include "TranslationPreviewFixture.h"
#include "panels/StatusHUDController.h"
#include "support/SimulatedSystemAppearance.h"

using C = TranslationPreviewPanelController;

TEST_F(TranslationPreviewTest, TextSizeAndPanelSizeAreTakenWithinTheirLimits) {
    const std::pair<double, double> fonts[] = {{11.5, 14}, {29, 14}, {0, 14},
                                               {12, 12},   {28, 28}, {12.5, 12.5}};
    for (const auto& [stored, expected] : fonts) {
        panelDefaults.setDouble(C::kFontSizeKey, stored);
        EXPECT_EQ(makeController()->previewFontSize(), expected) << stored;
    }
    panelDefaults.remove(C::kFontSizeKey);
    controller = makeController();
    EXPECT_EQ(controller->previewFontSize(), 14);
    controller->setPreviewFontSize(14);
    EXPECT_FALSE(panelDefaults.hasObject(C::kFontSizeKey));
    controller->setPreviewFontSize(30);
    EXPECT_EQ(controller->previewFontSize(), 28);
    EXPECT_EQ(panelDefaults.doubleValue(C::kFontSizeKey), 28);

    const QSize sizes[][2] = {
        {{500, 900}, {680, 460}}, {{1200, 900}, {980, 860}}, {{700, 400}, {700, 400}}};
    for (const auto& [saved, expected] : sizes) {
        panelDefaults.setDouble(C::kWidthKey, saved.width());
        panelDefaults.setDouble(C::kHeightKey, saved.height());
        EXPECT_EQ(controller->savedPanelSize(), expected) << saved.width();
    }
    controller->show();
    Q_EMIT controller->panel()->userResized(QSize(990, 870));
    EXPECT_EQ(
        QSizeF(panelDefaults.doubleValue(C::kWidthKey), panelDefaults.doubleValue(C::kHeightKey)),
        QSizeF(990, 870));
    controller = makeController();
    controller->show();
    EXPECT_EQ(controller->panel()->wantedSize(), QSize(980, 860));
    // Shown inside the 860 px high visible frame with its margins; the stored size stays.
    EXPECT_EQ(controller->panel()->size(), QSize(980, 860 - 2 * 16));
    EXPECT_EQ(panelDefaults.doubleValue(C::kHeightKey), 870);
}

// The statuses in the interface language, the panel only after the read, the trimmed text sent
// with the resend on while the source keeps its spaces; a failed read shows its error.
TEST_F(TranslationPreviewTest, ShowFromSelectionReadsThenShowsThenTranslates) {
    const std::pair<UiLanguage, QList<ActionStatus>> cases[] = {
        {UiLanguage::en,
         {running("Reading selection"), running("Translating to German"),
          done("Translation preview ready"), idle()}},
        {UiLanguage::ru,
         {running("Читаю выделение"), running("Перевожу на German"),
          done("Предпросмотр перевода готов"), idle()}}};
    for (const auto& [language, expected] : cases) {
        // In Russian the Accessibility selection reads blank: a copy reads it.
        const bool blank = language == UiLanguage::ru;
        setLanguage(language);
        editor.field->selectedText = blank ? " \n" : "  hallo \n";
        editor.setText("x  hallo \n", 1, 9);
        controller->hide();
        recorded.clear();
        const int request = server.requestCount();
        controller->showFromSelection(*state);
        EXPECT_TRUE(controller->isRunning() && controller->isPanelVisible() == !blank);
        settle();
        EXPECT_TRUE(controller->isPanelVisible() && !controller->isRunning());
        EXPECT_EQ(QStringList({controller->sourceText(), controller->resultText(),
                               sentField(request, "text"), sentField(request, "action")}),
                  QStringList({"  hallo \n", "[HALLO]", "hallo", "translate"}));
        EXPECT_EQ(statuses(), expected);
        EXPECT_EQ(QList<int>({editor.copyCount, editor.selectAllCount}),
                  QList<int>({blank ? 1 : 0, 0}));
        EXPECT_EQ(desktop.pasteboard.content(), userContent);
    }
    // The stand-in gives the text back unchanged: it is sent once more.
    server.setHandler([](const RecordedRequest&) { return CannedReply::result("hallo"); });
    const int before = server.requestCount();
    controller->showFromSelection(*state);
    settle();
    EXPECT_EQ(server.requestCount(), before + 2);

    editor.field->failing = {SimulatedAXNode::Query::SelectedText, SimulatedAXNode::Query::Value};
    editor.setText("", 0, 0);
    recorded.clear();
    controller->showFromSelection(*state);
    settle();
    EXPECT_TRUE(controller->isPanelVisible() && !controller->isRunning());
    EXPECT_EQ(controller->sourceText() + controller->resultText(), "");
    EXPECT_EQ(statuses().at(1), failed(controller->errorText()));
    EXPECT_EQ(server.requestCount(), before + 2);
}

TEST_F(TranslationPreviewTest, LanguageClipboardCopyAndInsert) {
    // Without a source: a new language is saved (the quick actions' one stays) and nothing is
    // sent; Copy and Insert do nothing.
    controller->setTargetLanguage("French");
    controller->copyResult();
    controller->pasteResult();
    settle();
    EXPECT_EQ(state->settings().translatePreviewTargetLanguage, "French");
    EXPECT_EQ(state->settings().targetLanguage, "English");
    EXPECT_TRUE(server.requestCount() == 0 && statuses().isEmpty() &&
                desktop.pasteboard.content() == userContent);

    const std::pair<UiLanguage, QStringList> cases[] = {
        {UiLanguage::en,
         {"Clipboard is empty.", "Translating clipboard", "Translation preview ready", "Copied"}},
        {UiLanguage::ru,
         {"Буфер обмена пуст.", "Перевожу из буфера", "Предпросмотр перевода готов",
          "Скопировано"}}};
    for (const auto& [language, texts] : cases) {
        setLanguage(language);
        VirtualClock::flushEvents();
        recorded.clear();
        desktop.pasteboard.clear();
        controller->pasteFromClipboardAndTranslate();
        EXPECT_EQ(controller->errorText(), texts[0]);
        desktop.pasteboard.setPlainText(" \n word \n");
        controller->pasteFromClipboardAndTranslate();
        settle();
        // The language already chosen: no new request.
        const int requests = server.requestCount();
        controller->setTargetLanguage("French");
        controller->copyResult();
        settle();
        EXPECT_EQ(server.requestCount(), requests);
        EXPECT_EQ(QStringList({controller->sourceText(), controller->resultText(),
                               controller->errorText(), *desktop.pasteboard.plainText(),
                               sentField(requests - 1, "text")}),
                  QStringList({"word", "[WORD]", "", "[WORD]", "word"}));
        const QList<ActionStatus> expected{failed(texts[0]), running(texts[1]), done(texts[2]),
                                           idle(),           done(texts[3]),    idle()};
        EXPECT_EQ(statuses(), expected);
    }

    // Insert: the panel hides first, then the translation goes where the selection was, with the
    // selection's own white space around it, and the user's clipboard comes back.
    editor.setText("say  hallo \nnow", 3, 9);
    controller->showFromSelection(*state);
    settle();
    userContent = putUserContent(desktop.pasteboard);
    recorded.clear();
    controller->pasteResult();
    VirtualClock::flushEvents();
    EXPECT_TRUE(!controller->isPanelVisible() && editor.pasteCount == 0);
    settle();
    EXPECT_EQ(editor.text, "say  [HALLO] \nnow");
    EXPECT_EQ(statuses(), (QList<ActionStatus>{done("Вставлено"), idle()}));
    EXPECT_EQ(desktop.pasteboard.content(), userContent);
}

// Of two translations only the second one's answer shows, and the work runs until it has come.
TEST_F(TranslationPreviewTest, ALateAnswerNeverReplacesANewerOne) {
    for (const QString slow : {"English", "French"}) {
        server.setHandler([slow](const RecordedRequest& request) {
            const QString language =
                json::qstr(json::parse(request.body)->at("targetLanguage").get<std::string>());
            CannedReply reply = CannedReply::result(language);
            reply.delayMs = language == slow ? 400 : 100;
            return reply;
        });
        controller = makeController();
        desktop.pasteboard.setPlainText("text");
        controller->pasteFromClipboardAndTranslate();
        VirtualClock::flushEvents();
        controller->setTargetLanguage("French");
        VirtualClock::flushEvents();
        ASSERT_TRUE(waitUntil([&] { return transport.inFlight == 1; }));
        const bool secondFirst = slow == "English";
        EXPECT_EQ(controller->isRunning(), !secondFirst) << slow.toStdString();
        EXPECT_EQ(controller->resultText(), secondFirst ? "French" : "");
        settle();
        EXPECT_TRUE(controller->resultText() == "French" && !controller->isRunning());
    }
}

// A press whose copy read is overtaken by a second press's Accessibility read is dropped.
TEST_F(TranslationPreviewTest, AnOlderSelectionReadIsDropped) {
    editor.field->selectedText = QStringLiteral(" \n");
    editor.setText("first", 0, 5);
    controller->showFromSelection(*state);
    editor.field->selectedText.reset();
    editor.setText("second", 0, 6);
    controller->showFromSelection(*state);
    settle();
    EXPECT_EQ(controller->sourceText() + controller->resultText(), "second[SECOND]");
    EXPECT_EQ(server.requestCount() == 1 ? sentField(0, "text") : "", "second");
}

// The status box keeps clear of the preview it reports on: below it where there is room, else
// above it, inside the visible frame.
TEST_F(TranslationPreviewTest, TheStatusBoxNeverCoversThePreview) {
    SimulatedSystemAppearance system;
    StatusHUDController hud{{screens, system, environment}};
    hud.attach(state.get());
    for (const QPoint pointer : {QPoint(500, 400), QPoint(700, 860)}) {
        screens.pointerAt = pointer;
        controller->hide();
        controller->show();
        state->setStatus(ActionStatus::done("Translation preview ready"));
        VirtualClock::flushEvents();
        const QRect box = hud.panel()->frameGeometry();
        EXPECT_FALSE(box.intersects(controller->panel()->frameGeometry())) << pointer.y();
        EXPECT_TRUE(QRect(0, 0, 1600, 860).contains(box)) << pointer.y();
    }
}
