// The action pipeline end to end: a simulated editor, the real pasteboard service and focus
// memory on the virtual clock, the real core and backend client against a loopback server.

#include "StateFixture.h"

namespace {

const QString kNotPorted = QStringLiteral("This native action is not ported yet: ");

QuickAction action(const char* id) {
    return QuickAction{QString::fromUtf8(id)};
}

// Answers every request with the text the test chose for its action.
CannedReply answerByAction(const RecordedRequest& request, const QString& fixed,
                           const QString& translated) {
    const auto body = json::parse(request.body);
    const QString wireAction = json::qstr(body->at("action").get<std::string>());
    return CannedReply::result(wireAction == QLatin1String("translate") ? translated : fixed);
}

}  // namespace

class Pipeline : public StateTest, public ::testing::WithParamInterface<UiLanguage> {
protected:
    UiLanguage lang() const { return GetParam(); }
    QString t(const char* english, const char* russian) const {
        return tr2(lang(), QString::fromUtf8(english), QString::fromUtf8(russian));
    }
    // The first status of a run: the action's title in the interface language.
    ActionStatus started(const char* englishTitle, const char* russianTitle) const {
        return running(lang() == UiLanguage::ru
                           ? QStringLiteral("Выполняю: ") + QString::fromUtf8(russianTitle)
                           : QString::fromUtf8(englishTitle) + QStringLiteral(" running"));
    }
    ActionStatus reading() const { return running(t("Reading selection", "Читаю выделение")); }
    ActionStatus pasting() const { return running(t("Pasting", "Вставляю")); }
    ActionStatus pasted() const { return done(t("Pasted", "Вставлено")); }

    void SetUp() override {
        StateTest::SetUp();
        makeState();
        setLanguage(lang());
        recorded.clear();
    }

    void expectUserPasteboardBack() {
        EXPECT_EQ(desktop.pasteboard.content(), userContent());
        EXPECT_FALSE(history.isCaptureSuppressed());
    }
};

INSTANTIATE_TEST_SUITE_P(BothLanguages, Pipeline, ::testing::Values(UiLanguage::en, UiLanguage::ru),
                         [](const auto& info) { return rawValue(info.param).toStdString(); });

// Style and translate from a hot key

TEST_P(Pipeline, StyleFromHotKeySelectsAllRewritesAndPastesBack) {
    editor.setText(QStringLiteral("i has a apple"), 0, 0);
    server.enqueue(CannedReply::result(QStringLiteral("I have an apple.")));

    state->run(action("style:original"), true, false);
    settle();

    EXPECT_EQ(statuses(), (QList<ActionStatus>{started("Fix", "Исправить"), reading(),
                                               running(QStringLiteral("Исправить running")),
                                               pasting(), pasted(), idle()}));
    EXPECT_EQ(idleDelay(), 900);
    EXPECT_EQ(editor.selectAllCount, 1);
    ASSERT_EQ(server.requestCount(), 1);
    EXPECT_EQ(sentField(0, "text"), "i has a apple");
    EXPECT_EQ(editor.text, "I have an apple.");
    EXPECT_EQ(state->latestOutput(), "I have an apple.");
    EXPECT_EQ(state->sampleText(), "Hi, how are you?");
    expectUserPasteboardBack();
}

TEST_P(Pipeline, TranslateFromHotKeyShowsItsOwnTitles) {
    state->editSettings([](NiveloSettings& s) { s.targetLanguage = QStringLiteral("German"); });
    recorded.clear();
    editor.setText(QStringLiteral("I have an apple"), 0, 15);
    server.enqueue(CannedReply::result(QStringLiteral("Ich habe einen Apfel")));

    state->run(action("translate"), true, false);
    settle();

    EXPECT_EQ(statuses(), (QList<ActionStatus>{started("Translate", "Перевод"), reading(),
                                               running(QStringLiteral("Перевод running")),
                                               pasting(), pasted(), idle()}));
    EXPECT_EQ(idleDelay(), 900);
    ASSERT_EQ(server.requestCount(), 1);
    EXPECT_EQ(sentField(0, "action"), "translate");
    EXPECT_EQ(sentField(0, "targetLanguage"), "German");
    EXPECT_EQ(editor.text, "Ich habe einen Apfel");
    expectUserPasteboardBack();
}

TEST_P(Pipeline, SelectAllSettingOffCopiesOnlyTheSelection) {
    state->editSettings([](NiveloSettings& s) { s.autoSelectAllBeforeAction = false; });
    recorded.clear();
    editor.setText(QStringLiteral("keep this; fix thsi"), 11, 8);
    server.enqueue(CannedReply::result(QStringLiteral("fix this")));

    state->run(action("style:original"), true, false);
    settle();

    EXPECT_EQ(editor.selectAllCount, 0);
    EXPECT_EQ(sentField(0, "text"), "fix thsi");
    EXPECT_EQ(editor.text, "keep this; fix this");
    EXPECT_EQ(statuses().last(), idle());
    expectUserPasteboardBack();
}

TEST_P(Pipeline, CustomStyleShowsItsNameFirstThenTheFixedTitle) {
    PromptStyle mine{QStringLiteral("custom-1234abcd"), QStringLiteral("Pirate"),
                     QStringLiteral("Talk like a pirate."), QStringLiteral("Not assigned"), true};
    state->editSettings([&](NiveloSettings& s) { s.promptStyles.append(mine); });
    recorded.clear();
    editor.setText(QStringLiteral("hello friend"), 0, 12);
    server.enqueue(CannedReply::result(QStringLiteral("ahoy matey")));

    state->run(action("style:custom-1234abcd"), true, false);
    settle();

    EXPECT_EQ(statuses(), (QList<ActionStatus>{started("Pirate", "Pirate"), reading(),
                                               running(QStringLiteral("Действие running")),
                                               pasting(), pasted(), idle()}));
    EXPECT_EQ(editor.text, "ahoy matey");
    expectUserPasteboardBack();
}

// Sample text (the settings window's try-out)

TEST_P(Pipeline, SampleTextRunReplacesTheSampleWhenAsked) {
    server.enqueue(CannedReply::result(QStringLiteral("Hi! How are you doing?")));

    state->run(action("style:friendly"), false, true);
    settle();

    EXPECT_EQ(statuses(),
              (QList<ActionStatus>{started("Friendly", "Дружелюбно"),
                                   running(QStringLiteral("Дружелюбно running")),
                                   done(QStringLiteral("Hi! How are you doing?")), idle()}));
    EXPECT_EQ(idleDelay(), 900);
    EXPECT_EQ(sentField(0, "text"), "Hi, how are you?");
    EXPECT_EQ(state->sampleText(), "Hi! How are you doing?");
    EXPECT_EQ(state->latestOutput(), "Hi! How are you doing?");
    // The other application is left alone.
    EXPECT_EQ(editor.copyCount, 0);
    EXPECT_EQ(editor.pasteCount, 0);
    EXPECT_TRUE(desktop.keys.log.isEmpty());
    expectUserPasteboardBack();
}

TEST_P(Pipeline, SampleTextRunWithoutUpdateKeepsTheSample) {
    server.enqueue(CannedReply::result(QStringLiteral("Good day. How are you?")));

    state->run(action("style:formal"), false, false);
    settle();

    EXPECT_EQ(statuses(),
              (QList<ActionStatus>{started("Formal", "Официально"),
                                   running(QStringLiteral("Официально running")),
                                   done(QStringLiteral("Good day. How are you?")), idle()}));
    EXPECT_EQ(state->sampleText(), "Hi, how are you?");
    EXPECT_EQ(state->latestOutput(), "Good day. How are you?");
}

// The layout fix

TEST_P(Pipeline, SilentLayoutRunReplacesTheAccessibilitySelectionAndSwitchesLayout) {
    editor.setText(QStringLiteral("ghbdtn"), 0, 6);

    state->run(action("layout"), true, false);
    settle();

    EXPECT_EQ(statuses(), QList<ActionStatus>{idle()});
    EXPECT_EQ(editor.text, "привет");
    EXPECT_EQ(state->latestOutput(), "привет");
    // No key event and no pasteboard write: everything went through accessibility.
    EXPECT_TRUE(desktop.keys.log.isEmpty());
    EXPECT_EQ(desktop.pasteboard.writeCount(), 0);
    EXPECT_EQ(desktop.pasteboard.clearCount(), 0);
    EXPECT_EQ(inputs.currentId(), "xkb.layout.ru");
    EXPECT_EQ(server.requestCount(), 0);
    expectUserPasteboardBack();
}

TEST_P(Pipeline, SilentLayoutRunCopiesWhenAccessibilityGivesOnlyBlanks) {
    editor.setText(QStringLiteral("руддщ"), 0, 5);
    editor.field->attributes.insert(QStringLiteral("AXSelectedText"),
                                    AXValue(QStringLiteral("  ")));

    state->run(action("layout"), true, false);
    settle();

    EXPECT_EQ(statuses(), QList<ActionStatus>{idle()});
    EXPECT_EQ(editor.text, "hello");
    // The fast preset: no Select All whatever the setting, no waits between the keys.
    EXPECT_EQ(editor.selectAllCount, 0);
    EXPECT_EQ(editor.copyCount, 1);
    EXPECT_EQ(editor.pasteCount, 1);
    // Key gaps only, and 60 ms before the pasteboard comes back (standard would take seconds).
    EXPECT_EQ(recorded.last().atMs, 100);
    EXPECT_EQ(inputs.currentId(), "xkb.layout.us");
    expectUserPasteboardBack();
}

TEST_P(Pipeline, SilentLayoutRunPastesWhenTheAccessibilityReplaceFails) {
    editor.setText(QStringLiteral("ghbdtn"), 0, 6);
    editor.field->failsToSet = true;

    state->run(action("layout"), true, false);
    settle();

    EXPECT_EQ(statuses(), QList<ActionStatus>{idle()});
    EXPECT_EQ(editor.copyCount, 0);
    EXPECT_EQ(editor.pastedTexts, QStringList{QStringLiteral("привет")});
    EXPECT_EQ(editor.text, "привет");
    expectUserPasteboardBack();
}

TEST_P(Pipeline, SilentLayoutRunDropsALayoutSwitchFailure) {
    editor.setText(QStringLiteral("ghbdtn"), 0, 6);
    inputs.failingSelects = 3;

    state->run(action("layout"), true, false);
    settle();

    EXPECT_EQ(inputs.selectCalls, 3);
    EXPECT_EQ(inputs.currentId(), "xkb.layout.us");
    EXPECT_EQ(statuses(), QList<ActionStatus>{idle()});
    EXPECT_EQ(editor.text, "привет");
    EXPECT_EQ(state->latestOutput(), "привет");
}

TEST_P(Pipeline, SilentLayoutRunSwitchesNothingWhenAutoSwitchIsOff) {
    state->editSettings([](NiveloSettings& s) { s.layoutAutoSwitch = false; });
    recorded.clear();
    editor.setText(QStringLiteral("ghbdtn"), 0, 6);

    state->run(action("layout"), true, false);
    settle();

    EXPECT_EQ(editor.text, "привет");
    EXPECT_EQ(inputs.selectCalls, 0);
    EXPECT_EQ(inputs.currentId(), "xkb.layout.us");
}

TEST_P(Pipeline, SilentLayoutRunCancelsAPendingReturnToIdle) {
    state->setStatus(done(QStringLiteral("earlier")));
    desktop.clock.advance(300);
    editor.setText(QStringLiteral("ghbdtn"), 0, 6);

    state->run(action("layout"), true, false);
    settle();

    EXPECT_EQ(statuses(), (QList<ActionStatus>{done(QStringLiteral("earlier")), idle()}));
    EXPECT_EQ(recorded.last().atMs, 300);
}

TEST_P(Pipeline, LayoutOnTheSampleTextShowsTheConvertedText) {
    state->setSampleText(QStringLiteral("ghbdtn"));

    state->run(action("layout"), false, true);
    settle();

    EXPECT_EQ(statuses(), (QList<ActionStatus>{started("Layout", "Раскладка"),
                                               running(QStringLiteral("Раскладка running")),
                                               done(QStringLiteral("привет")), idle()}));
    EXPECT_EQ(idleDelay(), 900);
    EXPECT_EQ(state->sampleText(), "привет");
    EXPECT_EQ(inputs.selectCalls, 0);
    EXPECT_TRUE(desktop.keys.log.isEmpty());
}

// Actions the core refuses

TEST_P(Pipeline, AssistantActionReadsWithoutSelectAllAndFails) {
    editor.setText(QStringLiteral("question"), 0, 8);

    state->run(action("ai"), true, false);
    settle();

    EXPECT_EQ(statuses(), (QList<ActionStatus>{started("AI assistant", "AI помощник"), reading(),
                                               running(QStringLiteral("AI помощник running")),
                                               failed(kNotPorted + "AI assistant"), idle()}));
    EXPECT_EQ(idleDelay(), 1300);
    EXPECT_EQ(editor.selectAllCount, 0);
    EXPECT_EQ(editor.text, "question");
    EXPECT_EQ(server.requestCount(), 0);
    EXPECT_EQ(state->latestOutput(), "");
    expectUserPasteboardBack();
}

TEST_P(Pipeline, ClipboardActionFailsInTheCore) {
    editor.setText(QStringLiteral("words"), 0, 5);

    state->run(action("clipboard"), true, false);
    settle();

    EXPECT_EQ(statuses(), (QList<ActionStatus>{started("Clipboard", "Буфер"), reading(),
                                               running(QStringLiteral("Буфер running")),
                                               failed(kNotPorted + "Clipboard window"), idle()}));
    EXPECT_EQ(editor.selectAllCount, 0);
    expectUserPasteboardBack();
}

TEST_P(Pipeline, UnknownStyleFailsWithItsWholeId) {
    editor.setText(QStringLiteral("words"), 0, 5);

    state->run(action("style:gone"), true, false);
    settle();

    EXPECT_EQ(statuses(), (QList<ActionStatus>{started("Действие", "Действие"), reading(),
                                               running(QStringLiteral("Действие running")),
                                               failed(kNotPorted + "Style style:gone"), idle()}));
    EXPECT_EQ(idleDelay(), 1300);
    EXPECT_EQ(editor.text, "words");
    expectUserPasteboardBack();
}

// Failures at each stage

TEST_P(Pipeline, ReadFailureWhenKeysCannotBeSent) {
    editor.setText(QStringLiteral("words"), 0, 5);
    desktop.keys.trusted = false;
    state->setSampleText(QStringLiteral("sample"));

    state->run(action("style:original"), true, true);
    settle();

    EXPECT_EQ(statuses(), (QList<ActionStatus>{
                              started("Fix", "Исправить"), reading(),
                              failed(QStringLiteral("Could not send copy shortcut.")), idle()}));
    EXPECT_EQ(idleDelay(), 1300);
    EXPECT_EQ(server.requestCount(), 0);
    EXPECT_EQ(state->sampleText(), "sample");
    EXPECT_EQ(state->latestOutput(), "");
    expectUserPasteboardBack();
}

TEST_P(Pipeline, ReadFailureWhenNothingIsSelected) {
    editor.setText(QString());

    state->run(action("translate"), true, false);
    settle();

    EXPECT_EQ(statuses(),
              (QList<ActionStatus>{started("Translate", "Перевод"), reading(),
                                   failed(QStringLiteral("No selected text.")), idle()}));
    EXPECT_EQ(idleDelay(), 1300);
    expectUserPasteboardBack();
}

TEST_P(Pipeline, BackendFailureShowsTheServersMessage) {
    editor.setText(QStringLiteral("words"), 0, 5);
    server.enqueue(CannedReply::json(429, R"({"error":"Too many requests today."})"));

    state->run(action("style:original"), true, false);
    settle();

    EXPECT_EQ(statuses(),
              (QList<ActionStatus>{started("Fix", "Исправить"), reading(),
                                   running(QStringLiteral("Исправить running")),
                                   failed(QStringLiteral("Too many requests today.")), idle()}));
    EXPECT_EQ(idleDelay(), 1300);
    EXPECT_EQ(editor.text, "words");
    EXPECT_EQ(editor.pasteCount, 0);
    expectUserPasteboardBack();
}

TEST_P(Pipeline, PasteFailureKeepsTheLatestOutput) {
    state->run(action("style:original"), false, false);
    server.enqueue(CannedReply::result(QStringLiteral("earlier result")));
    settle();
    ASSERT_EQ(state->latestOutput(), "earlier result");
    recorded.clear();

    editor.setText(QStringLiteral("words"), 0, 5);
    // The target application quits while the backend works.
    const qint64 pid = editor.pid;
    server.setHandler([&](const RecordedRequest&) {
        desktop.quit(pid);
        return CannedReply::result(QStringLiteral("Words."));
    });

    state->run(action("style:original"), true, false);
    settle();

    EXPECT_EQ(statuses(),
              (QList<ActionStatus>{started("Fix", "Исправить"), reading(),
                                   running(QStringLiteral("Исправить running")), pasting(),
                                   failed(QStringLiteral("No app to paste into.")), idle()}));
    EXPECT_EQ(idleDelay(), 1300);
    EXPECT_EQ(state->latestOutput(), "earlier result");
    expectUserPasteboardBack();
}

TEST_P(Pipeline, PasteShortcutFailureLeavesTheResultOnThePasteboard) {
    editor.setText(QStringLiteral("words"), 0, 5);
    server.setHandler([&](const RecordedRequest&) {
        desktop.keys.failsToPost = true;
        return CannedReply::result(QStringLiteral("Words."));
    });

    state->run(action("style:original"), true, false);
    settle();

    EXPECT_EQ(statuses(), (QList<ActionStatus>{
                              started("Fix", "Исправить"), reading(),
                              running(QStringLiteral("Исправить running")), pasting(),
                              failed(QStringLiteral("Could not send paste shortcut.")), idle()}));
    EXPECT_EQ(editor.text, "words");
    EXPECT_EQ(state->latestOutput(), "");
    // The one exception: the result is the only copy of itself now.
    EXPECT_EQ(desktop.pasteboard.plainText(), "Words.");
}

// No guard against overlapping runs

TEST_P(Pipeline, TwoRunsAtOnceInterleaveTheirStatusesButNotTheirPasteboardWork) {
    editor.setText(QStringLiteral("i has a apple"), 0, 0);
    server.setHandler([](const RecordedRequest& request) {
        return answerByAction(request, QStringLiteral("I have an apple."),
                              QStringLiteral(" Ich habe einen Apfel."));
    });

    state->run(action("style:original"), true, false);
    state->run(action("translate"), true, false);
    settle();

    // The fix's return to idle falls inside the translation's paste.
    EXPECT_EQ(statuses(), (QList<ActionStatus>{
                              started("Fix", "Исправить"), started("Translate", "Перевод"),
                              reading(), reading(), running(QStringLiteral("Исправить running")),
                              pasting(), running(QStringLiteral("Перевод running")), pasting(),
                              pasted(), idle(), pasted(), idle()}));
    // Both read the text before either pasted; each paste went in whole.
    EXPECT_EQ(sentField(0, "text"), "i has a apple");
    EXPECT_EQ(sentField(1, "text"), "i has a apple");
    EXPECT_EQ(editor.pastedTexts, (QStringList{QStringLiteral("I have an apple."),
                                               QStringLiteral("Ich habe einen Apfel.")}));
    expectUserPasteboardBack();
}
