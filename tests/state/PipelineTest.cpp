// The action pipeline end to end: a simulated editor, the real pasteboard service and focus
// memory on the virtual clock, the real core and backend client against a loopback server.

#include "StateFixture.h"

namespace {
const QString kNotPorted = QStringLiteral("This native action is not ported yet: ");
// The third running status always names the fixed title, whatever the interface language.
ActionStatus working(const char* fixedTitle) {
    return running(QString::fromUtf8(fixedTitle) + QStringLiteral(" running"));
}
}  // namespace

class Pipeline : public BothLanguages {
protected:
    // The first status of a run: the action's title in the interface language.
    ActionStatus started(const char* englishTitle, const char* russianTitle) const {
        return running(GetParam() == UiLanguage::ru
                           ? QStringLiteral("Выполняю: ") + QString::fromUtf8(russianTitle)
                           : QString::fromUtf8(englishTitle) + QStringLiteral(" running"));
    }
    ActionStatus reading() const { return running(t("Reading selection", "Читаю выделение")); }
    ActionStatus pasting() const { return running(t("Pasting", "Вставляю")); }
    ActionStatus pasted() const { return done(t("Pasted", "Вставлено")); }

    void edit(const std::function<void(NiveloSettings&)>& change) {
        state->editSettings(change);
        recorded.clear();
    }
    void run(const char* id, bool pasteResult, bool updateSampleText = false) {
        state->run(QuickAction{QString::fromUtf8(id)}, pasteResult, updateSampleText);
        settle();
    }
    // The exact statuses, the wait before the last idle, and the user's pasteboard back.
    void expectRun(const QList<ActionStatus>& expected, qint64 delayToIdle) {
        EXPECT_EQ(statuses(), expected);
        EXPECT_EQ(idleDelay(), delayToIdle);
        expectUserPasteboardBack();
    }
    void expectUserPasteboardBack() {
        EXPECT_EQ(desktop.pasteboard.content(), userContent);
        EXPECT_FALSE(captureServices.history.isCaptureSuppressed());
    }
};

INSTANTIATE_TEST_SUITE_P(BothLanguages, Pipeline, ::testing::Values(UiLanguage::en, UiLanguage::ru),
                         languageName);

// Style and translate from a hot key

TEST_P(Pipeline, StyleFromHotKeySelectsAllRewritesAndPastesBack) {
    editor.setText(QStringLiteral("i has a apple"), 0, 0);
    server.enqueue(CannedReply::result(QStringLiteral("I have an apple.")));
    run("style:original", true);

    expectRun(
        {started("Fix", "Исправить"), reading(), working("Исправить"), pasting(), pasted(), idle()},
        900);
    EXPECT_EQ(editor.selectAllCount, 1);
    ASSERT_EQ(server.requestCount(), 1);
    EXPECT_EQ(sentField(0, "text"), "i has a apple");
    EXPECT_EQ(editor.text, "I have an apple.");
    EXPECT_EQ(state->latestOutput(), "I have an apple.");
    EXPECT_EQ(state->sampleText(), "Hi, how are you?");
}

TEST_P(Pipeline, TranslateFromHotKeyShowsItsOwnTitles) {
    edit([](NiveloSettings& s) { s.targetLanguage = QStringLiteral("German"); });
    editor.setText(QStringLiteral("I have an apple"), 0, 15);
    server.enqueue(CannedReply::result(QStringLiteral("Ich habe einen Apfel")));
    run("translate", true);

    expectRun({started("Translate", "Перевод"), reading(), working("Перевод"), pasting(), pasted(),
               idle()},
              900);
    ASSERT_EQ(server.requestCount(), 1);
    EXPECT_EQ(sentField(0, "action"), "translate");
    EXPECT_EQ(sentField(0, "targetLanguage"), "German");
    EXPECT_EQ(editor.text, "Ich habe einen Apfel");
}

TEST_P(Pipeline, SelectAllSettingOffCopiesOnlyTheSelection) {
    edit([](NiveloSettings& s) { s.autoSelectAllBeforeAction = false; });
    editor.setText(QStringLiteral("keep this; fix thsi"), 11, 8);
    server.enqueue(CannedReply::result(QStringLiteral("fix this")));
    run("style:original", true);

    EXPECT_EQ(editor.selectAllCount, 0);
    EXPECT_EQ(sentField(0, "text"), "fix thsi");
    EXPECT_EQ(editor.text, "keep this; fix this");
    EXPECT_EQ(statuses().last(), idle());
    expectUserPasteboardBack();
}

TEST_P(Pipeline, CustomStyleShowsItsNameFirstThenTheFixedTitle) {
    edit([](NiveloSettings& s) {
        s.promptStyles.append({QStringLiteral("custom-1234abcd"), QStringLiteral("Pirate"),
                               QStringLiteral("Talk like a pirate."),
                               QStringLiteral("Not assigned"), true});
    });
    editor.setText(QStringLiteral("hello friend"), 0, 12);
    server.enqueue(CannedReply::result(QStringLiteral("ahoy matey")));
    run("style:custom-1234abcd", true);

    expectRun(
        {started("Pirate", "Pirate"), reading(), working("Действие"), pasting(), pasted(), idle()},
        900);
    EXPECT_EQ(editor.text, "ahoy matey");
}

// Sample text (the settings window's try-out): the other application is left alone.

TEST_P(Pipeline, SampleTextRunReplacesTheSampleOnlyWhenAsked) {
    server.enqueue(CannedReply::result(QStringLiteral("Hi! How are you doing?")));
    run("style:friendly", false, true);

    const QString friendly = QStringLiteral("Hi! How are you doing?");
    expectRun({started("Friendly", "Дружелюбно"), working("Дружелюбно"), done(friendly), idle()},
              900);
    EXPECT_EQ(sentField(0, "text"), "Hi, how are you?");
    EXPECT_EQ(state->sampleText(), friendly);
    EXPECT_EQ(state->latestOutput(), friendly);
    EXPECT_EQ(editor.copyCount, 0);
    EXPECT_EQ(editor.pasteCount, 0);
    EXPECT_TRUE(desktop.keys.log.isEmpty());

    recorded.clear();
    const QString formal = QStringLiteral("Good day. How are you?");
    server.enqueue(CannedReply::result(formal));
    run("style:formal", false, false);

    expectRun({started("Formal", "Официально"), working("Официально"), done(formal), idle()}, 900);
    EXPECT_EQ(state->sampleText(), friendly);
    EXPECT_EQ(state->latestOutput(), formal);
}

// The layout fix

TEST_P(Pipeline, SilentLayoutRunReplacesTheAccessibilitySelectionAndSwitchesLayout) {
    editor.setText(QStringLiteral("ghbdtn"), 0, 6);
    run("layout", true);

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
    run("layout", true);

    EXPECT_EQ(statuses(), QList<ActionStatus>{idle()});
    EXPECT_EQ(editor.text, "hello");
    // The fast preset: no Select All whatever the setting, key gaps only and 60 ms before the
    // pasteboard comes back.
    EXPECT_EQ(editor.selectAllCount, 0);
    EXPECT_EQ(editor.copyCount, 1);
    EXPECT_EQ(editor.pasteCount, 1);
    EXPECT_EQ(recorded.last().atMs, 100);
    EXPECT_EQ(inputs.currentId(), "xkb.layout.us");
    expectUserPasteboardBack();
}

TEST_P(Pipeline, SilentLayoutRunPastesWhenTheAccessibilityReplaceFails) {
    editor.setText(QStringLiteral("ghbdtn"), 0, 6);
    editor.field->failsToSet = true;
    run("layout", true);

    EXPECT_EQ(statuses(), QList<ActionStatus>{idle()});
    EXPECT_EQ(editor.copyCount, 0);
    EXPECT_EQ(editor.pastedTexts, QStringList{QStringLiteral("привет")});
    EXPECT_EQ(editor.text, "привет");
    expectUserPasteboardBack();
}

TEST_P(Pipeline, SilentLayoutRunDropsALayoutSwitchFailure) {
    editor.setText(QStringLiteral("ghbdtn"), 0, 6);
    inputs.failingSelects = 3;
    run("layout", true);

    EXPECT_EQ(inputs.selectCalls, 3);
    EXPECT_EQ(inputs.currentId(), "xkb.layout.us");
    EXPECT_EQ(statuses(), QList<ActionStatus>{idle()});
    EXPECT_EQ(editor.text, "привет");
    EXPECT_EQ(state->latestOutput(), "привет");
}

TEST_P(Pipeline, SilentLayoutRunSwitchesNothingWhenAutoSwitchIsOff) {
    edit([](NiveloSettings& s) { s.layoutAutoSwitch = false; });
    editor.setText(QStringLiteral("ghbdtn"), 0, 6);
    run("layout", true);

    EXPECT_EQ(editor.text, "привет");
    EXPECT_EQ(inputs.selectCalls, 0);
}

TEST_P(Pipeline, SilentLayoutRunCancelsAPendingReturnToIdle) {
    state->setStatus(done(QStringLiteral("earlier")));
    desktop.clock.advance(300);
    editor.setText(QStringLiteral("ghbdtn"), 0, 6);
    run("layout", true);

    EXPECT_EQ(statuses(), (QList<ActionStatus>{done(QStringLiteral("earlier")), idle()}));
    EXPECT_EQ(recorded.last().atMs, 300);
}

TEST_P(Pipeline, LayoutOnTheSampleTextShowsTheConvertedText) {
    state->setSampleText(QStringLiteral("ghbdtn"));
    run("layout", false, true);

    expectRun({started("Layout", "Раскладка"), working("Раскладка"), done(QStringLiteral("привет")),
               idle()},
              900);
    EXPECT_EQ(state->sampleText(), "привет");
    EXPECT_EQ(inputs.selectCalls, 0);
    EXPECT_TRUE(desktop.keys.log.isEmpty());
}

// Actions the core refuses: the text is read (Select All only for a style), then the run fails.

TEST_P(Pipeline, RefusedActionsReadAndFailWithoutTouchingTheText) {
    struct Case {
        const char *id, *english, *russian, *fixed, *failure;
        int selectAll;
    };
    for (const Case& c :
         {Case{"ai", "AI assistant", "AI помощник", "AI помощник", "AI assistant", 0},
          Case{"clipboard", "Clipboard", "Буфер", "Буфер", "Clipboard window", 0},
          Case{"style:gone", "Действие", "Действие", "Действие", "Style style:gone", 1}}) {
        SCOPED_TRACE(c.id);
        recorded.clear();
        editor.setText(QStringLiteral("question"), 0, 8);
        editor.selectAllCount = 0;
        run(c.id, true);

        expectRun({started(c.english, c.russian), reading(), working(c.fixed),
                   failed(kNotPorted + QString::fromUtf8(c.failure)), idle()},
                  1300);
        EXPECT_EQ(editor.selectAllCount, c.selectAll);
        EXPECT_EQ(editor.text, "question");
        EXPECT_EQ(server.requestCount(), 0);
        EXPECT_EQ(state->latestOutput(), "");
    }
}

// Failures at each stage

TEST_P(Pipeline, ReadFailureWhenKeysCannotBeSent) {
    editor.setText(QStringLiteral("words"), 0, 5);
    desktop.keys.trusted = false;
    state->setSampleText(QStringLiteral("sample"));
    run("style:original", true, true);

    expectRun({started("Fix", "Исправить"), reading(),
               failed(QStringLiteral("Could not send copy shortcut.")), idle()},
              1300);
    EXPECT_EQ(server.requestCount(), 0);
    EXPECT_EQ(state->sampleText(), "sample");
    EXPECT_EQ(state->latestOutput(), "");
}

TEST_P(Pipeline, ReadFailureWhenNothingIsSelected) {
    editor.setText(QString());
    run("translate", true);

    expectRun({started("Translate", "Перевод"), reading(),
               failed(QStringLiteral("No selected text.")), idle()},
              1300);
}

TEST_P(Pipeline, BackendFailureShowsTheServersMessage) {
    editor.setText(QStringLiteral("words"), 0, 5);
    server.enqueue(CannedReply::json(429, R"({"error":"Too many requests today."})"));
    run("style:original", true);

    expectRun({started("Fix", "Исправить"), reading(), working("Исправить"),
               failed(QStringLiteral("Too many requests today.")), idle()},
              1300);
    EXPECT_EQ(editor.text, "words");
    EXPECT_EQ(editor.pasteCount, 0);
}

TEST_P(Pipeline, PasteFailureKeepsTheLatestOutput) {
    server.enqueue(CannedReply::result(QStringLiteral("earlier result")));
    run("style:original", false);
    ASSERT_EQ(state->latestOutput(), "earlier result");
    recorded.clear();

    editor.setText(QStringLiteral("words"), 0, 5);
    // The target application quits while the backend works.
    const qint64 pid = editor.pid;
    server.setHandler([&](const RecordedRequest&) {
        desktop.quit(pid);
        return CannedReply::result(QStringLiteral("Words."));
    });
    run("style:original", true);

    expectRun({started("Fix", "Исправить"), reading(), working("Исправить"), pasting(),
               failed(QStringLiteral("No app to paste into.")), idle()},
              1300);
    EXPECT_EQ(state->latestOutput(), "earlier result");
}

TEST_P(Pipeline, PasteShortcutFailureLeavesTheResultOnThePasteboard) {
    editor.setText(QStringLiteral("words"), 0, 5);
    server.setHandler([&](const RecordedRequest&) {
        desktop.keys.failsToPost = true;
        return CannedReply::result(QStringLiteral("Words."));
    });
    run("style:original", true);

    EXPECT_EQ(statuses(),
              (QList<ActionStatus>{
                  started("Fix", "Исправить"), reading(), working("Исправить"), pasting(),
                  failed(QStringLiteral("Could not send paste shortcut.")), idle()}));
    EXPECT_EQ(editor.text, "words");
    EXPECT_EQ(state->latestOutput(), "");
    // The one exception: the result is the only copy of itself now.
    EXPECT_EQ(desktop.pasteboard.plainText(), "Words.");
}
