// The action pipeline end to end: a simulated editor, the real pasteboard service and focus
// memory on the virtual clock, the real core and backend client against a loopback server.

#include "StateFixture.h"

namespace {
const QString kNotPorted = QStringLiteral("This native action is not ported yet: ");
// A run's first status names the action's title; the third one its fixed title.
ActionStatus titled(const char* title) {
    return running(QString::fromUtf8(title) + QStringLiteral(" running"));
}
const ActionStatus reading = running(QStringLiteral("Reading selection"));
const ActionStatus pasting = running(QStringLiteral("Pasting"));
const ActionStatus pasted = done(QStringLiteral("Pasted"));
// A fix run up to its request, then what followed.
QList<ActionStatus> fixRun(QList<ActionStatus> rest) {
    return QList<ActionStatus>{titled("Fix"), reading, titled("Исправить")} + rest;
}
}  // namespace

class Pipeline : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        makeState();
    }
    void edit(const std::function<void(NiveloSettings&)>& change) {
        state->editSettings(change);
        recorded.clear();
    }
    void run(const char* id, bool pasteResult, bool updateSampleText = false) {
        recorded.clear();
        state->run(QuickAction{QString::fromUtf8(id)}, pasteResult, updateSampleText);
        settle();
    }
    // The exact statuses, the wait before the last idle, and the user's pasteboard back.
    void expectRun(const QList<ActionStatus>& expected, qint64 delayToIdle) {
        EXPECT_EQ(statuses(), expected);
        EXPECT_EQ(idleDelay(), delayToIdle);
        EXPECT_EQ(desktop.pasteboard.content(), userContent);
        EXPECT_FALSE(captureServices.history.isCaptureSuppressed());
    }
};

// Style and translate from a hot key

TEST_F(Pipeline, StyleFromHotKeySelectsAllRewritesAndPastesBack) {
    editor.setText(QStringLiteral("i has a apple"), 0, 0);
    server.enqueue(CannedReply::result(QStringLiteral("I have an apple.")));
    run("style:original", true);

    expectRun(fixRun({pasting, pasted, idle()}), 900);
    EXPECT_EQ(editor.selectAllCount, 1);
    ASSERT_EQ(server.requestCount(), 1);
    EXPECT_EQ(sentField(0, "text"), "i has a apple");
    EXPECT_EQ(editor.text, "I have an apple.");
    EXPECT_EQ(state->latestOutput(), "I have an apple.");
    EXPECT_EQ(state->sampleText(), "Hi, how are you?");
}

TEST_F(Pipeline, TranslateAndCustomStylesShowTheirOwnTitles) {
    edit([](NiveloSettings& s) {
        s.targetLanguage = QStringLiteral("German");
        s.promptStyles.append({QStringLiteral("custom-1234abcd"), QStringLiteral("Pirate"),
                               QStringLiteral("Talk like a pirate."),
                               QStringLiteral("Not assigned"), true});
    });
    editor.setText(QStringLiteral("I have an apple"), 0, 15);
    server.enqueue(CannedReply::result(QStringLiteral("Ich habe einen Apfel")));
    run("translate", true);
    expectRun({titled("Translate"), reading, titled("Перевод"), pasting, pasted, idle()}, 900);
    EXPECT_EQ(sentField(0, "action"), "translate");
    EXPECT_EQ(sentField(0, "targetLanguage"), "German");
    EXPECT_EQ(editor.text, "Ich habe einen Apfel");

    server.enqueue(CannedReply::result(QStringLiteral("ahoy matey")));
    run("style:custom-1234abcd", true);
    expectRun({titled("Pirate"), reading, titled("Действие"), pasting, pasted, idle()}, 900);
    EXPECT_EQ(editor.text, "ahoy matey");
    EXPECT_EQ(sentField(1, "writingStyle"), "Pirate");
}

TEST_F(Pipeline, SelectAllSettingOffCopiesOnlyTheSelection) {
    edit([](NiveloSettings& s) { s.autoSelectAllBeforeAction = false; });
    editor.setText(QStringLiteral("keep this; fix thsi"), 11, 8);
    server.enqueue(CannedReply::result(QStringLiteral("fix this")));
    run("style:original", true);

    EXPECT_EQ(editor.selectAllCount, 0);
    EXPECT_EQ(sentField(0, "text"), "fix thsi");
    EXPECT_EQ(editor.text, "keep this; fix this");
    expectRun(fixRun({pasting, pasted, idle()}), 900);
}

// Sample text (the settings window's try-out): the other application is left alone.

TEST_F(Pipeline, SampleTextRunReplacesTheSampleOnlyWhenAsked) {
    const QString friendly = QStringLiteral("Hi! How are you doing?");
    server.enqueue(CannedReply::result(friendly));
    run("style:friendly", false, true);

    expectRun({titled("Friendly"), titled("Дружелюбно"), done(friendly), idle()}, 900);
    EXPECT_EQ(sentField(0, "text"), "Hi, how are you?");
    EXPECT_EQ(state->sampleText(), friendly);
    EXPECT_EQ(state->latestOutput(), friendly);
    EXPECT_EQ(editor.copyCount + editor.pasteCount, 0);
    EXPECT_TRUE(desktop.keys.log.isEmpty());

    server.enqueue(CannedReply::result(QStringLiteral("Good day.")));
    run("style:formal", false, false);
    EXPECT_EQ(state->sampleText(), friendly);
    EXPECT_EQ(state->latestOutput(), "Good day.");
}

TEST_F(Pipeline, LayoutOnTheSampleTextShowsTheConvertedText) {
    state->setSampleText(QStringLiteral("ghbdtn"));
    run("layout", false, true);

    expectRun({titled("Layout"), titled("Раскладка"), done(QStringLiteral("привет")), idle()}, 900);
    EXPECT_EQ(state->sampleText(), "привет");
    EXPECT_EQ(inputs.selectCalls, 0);
    EXPECT_TRUE(desktop.keys.log.isEmpty());
}

// The layout fix from a hot key runs silently.

TEST_F(Pipeline, SilentLayoutRunReplacesTheAccessibilitySelectionAndSwitchesLayout) {
    editor.setText(QStringLiteral("ghbdtn"), 0, 6);
    run("layout", true);

    expectRun({idle()}, -1);
    EXPECT_EQ(editor.text, "привет");
    EXPECT_EQ(state->latestOutput(), "привет");
    // No key event and no pasteboard write: everything went through accessibility.
    EXPECT_TRUE(desktop.keys.log.isEmpty());
    EXPECT_EQ(desktop.pasteboard.writeCount() + desktop.pasteboard.clearCount(), 0);
    EXPECT_EQ(inputs.currentId(), "xkb.layout.ru");
    EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(Pipeline, SilentLayoutRunCopiesWhenAccessibilityGivesOnlyBlanks) {
    editor.setText(QStringLiteral("руддщ"), 0, 5);
    editor.field->attributes.insert(QStringLiteral("AXSelectedText"),
                                    AXValue(QStringLiteral("  ")));
    run("layout", true);

    expectRun({idle()}, -1);
    EXPECT_EQ(editor.text, "hello");
    // The fast preset: no Select All whatever the setting, key gaps only and 60 ms before the
    // pasteboard comes back.
    EXPECT_EQ(editor.selectAllCount, 0);
    EXPECT_EQ(editor.copyCount, 1);
    EXPECT_EQ(editor.pasteCount, 1);
    EXPECT_EQ(recorded.last().atMs, 100);
    EXPECT_EQ(inputs.currentId(), "xkb.layout.us");
}

TEST_F(Pipeline, SilentLayoutRunPastesWhenTheAccessibilityReplaceFails) {
    editor.setText(QStringLiteral("ghbdtn"), 0, 6);
    editor.field->failsToSet = true;
    run("layout", true);

    expectRun({idle()}, -1);
    EXPECT_EQ(editor.copyCount, 0);
    EXPECT_EQ(editor.pastedTexts, QStringList{QStringLiteral("привет")});
}

// A failed layout switch is dropped; with auto switch off none is tried.
TEST_F(Pipeline, SilentLayoutRunSwitchesOnlyWhenAskedAndDropsASwitchFailure) {
    for (const auto& [autoSwitch, selectCalls] : {std::pair{true, 3}, std::pair{false, 0}}) {
        SCOPED_TRACE(autoSwitch);
        edit([&](NiveloSettings& s) { s.layoutAutoSwitch = autoSwitch; });
        editor.setText(QStringLiteral("ghbdtn"), 0, 6);
        inputs.failingSelects = 3;
        inputs.selectCalls = 0;
        run("layout", true);

        EXPECT_EQ(inputs.selectCalls, selectCalls);
        EXPECT_EQ(inputs.currentId(), "xkb.layout.us");
        EXPECT_EQ(statuses(), QList<ActionStatus>{idle()});
        EXPECT_EQ(editor.text, "привет");
    }
}

TEST_F(Pipeline, SilentLayoutRunCancelsAPendingReturnToIdle) {
    state->setStatus(done(QStringLiteral("earlier")));
    desktop.clock.advance(300);
    editor.setText(QStringLiteral("ghbdtn"), 0, 6);
    run("layout", true);

    EXPECT_EQ(statuses(), QList<ActionStatus>{idle()});
    EXPECT_EQ(recorded.last().atMs, 300);
}

// Actions the core refuses: the text is read (Select All only for a style), then the run fails.

TEST_F(Pipeline, RefusedActionsReadAndFailWithoutTouchingTheText) {
    struct Case {
        const char *id, *title, *fixed, *failure;
        int selectAll;
    };
    for (const Case& c : {Case{"ai", "AI assistant", "AI помощник", "AI assistant", 0},
                          Case{"clipboard", "Clipboard", "Буфер", "Clipboard window", 0},
                          Case{"style:gone", "Действие", "Действие", "Style style:gone", 1}}) {
        SCOPED_TRACE(c.id);
        editor.setText(QStringLiteral("question"), 0, 8);
        editor.selectAllCount = 0;
        run(c.id, true);

        expectRun({titled(c.title), reading, titled(c.fixed),
                   failed(kNotPorted + QString::fromUtf8(c.failure)), idle()},
                  1300);
        EXPECT_EQ(editor.selectAllCount, c.selectAll);
        EXPECT_EQ(editor.text, "question");
        EXPECT_EQ(server.requestCount(), 0);
        EXPECT_EQ(state->latestOutput(), "");
    }
}

// Failures at each stage: the text and the latest output stay as they were.

TEST_F(Pipeline, ReadFailuresEndTheRunBeforeAnyRequest) {
    editor.setText(QStringLiteral("words"), 0, 5);
    desktop.keys.trusted = false;
    state->setSampleText(QStringLiteral("sample"));
    run("style:original", true, true);
    expectRun(
        {titled("Fix"), reading, failed(QStringLiteral("Could not send copy shortcut.")), idle()},
        1300);
    EXPECT_EQ(state->sampleText(), "sample");

    desktop.keys.trusted = true;
    editor.setText(QString());
    run("translate", true);
    expectRun({titled("Translate"), reading, failed(QStringLiteral("No selected text.")), idle()},
              1300);
    EXPECT_EQ(server.requestCount(), 0);
    EXPECT_EQ(state->latestOutput(), "");
}

TEST_F(Pipeline, BackendFailureShowsTheServersMessage) {
    editor.setText(QStringLiteral("words"), 0, 5);
    server.enqueue(CannedReply::json(429, R"({"error":"Too many requests today."})"));
    run("style:original", true);

    expectRun(fixRun({failed(QStringLiteral("Too many requests today.")), idle()}), 1300);
    EXPECT_EQ(editor.text, "words");
    EXPECT_EQ(editor.pasteCount, 0);
}

TEST_F(Pipeline, PasteFailureKeepsTheLatestOutput) {
    server.enqueue(CannedReply::result(QStringLiteral("earlier result")));
    run("style:original", false);
    ASSERT_EQ(state->latestOutput(), "earlier result");

    editor.setText(QStringLiteral("words"), 0, 5);
    // The target application quits while the backend works.
    const qint64 pid = editor.pid;
    server.setHandler([&](const RecordedRequest&) {
        desktop.quit(pid);
        return CannedReply::result(QStringLiteral("Words."));
    });
    run("style:original", true);

    expectRun(fixRun({pasting, failed(QStringLiteral("No app to paste into.")), idle()}), 1300);
    EXPECT_EQ(state->latestOutput(), "earlier result");
}

TEST_F(Pipeline, PasteShortcutFailureLeavesTheResultOnThePasteboard) {
    editor.setText(QStringLiteral("words"), 0, 5);
    server.setHandler([&](const RecordedRequest&) {
        desktop.keys.failsToPost = true;
        return CannedReply::result(QStringLiteral("Words."));
    });
    run("style:original", true);

    EXPECT_EQ(statuses(),
              fixRun({pasting, failed(QStringLiteral("Could not send paste shortcut.")), idle()}));
    EXPECT_EQ(editor.text, "words");
    EXPECT_EQ(state->latestOutput(), "");
    // The one exception: the result is the only copy of itself now.
    EXPECT_EQ(desktop.pasteboard.plainText(), "Words.");
}

// Every status the state shows, in Russian.
TEST_F(Pipeline, EveryStatusTextHasItsRussianForm) {
    setLanguage(UiLanguage::ru);
    editor.setText(QStringLiteral("words"), 0, 5);
    server.enqueue(CannedReply::result(QStringLiteral("Words.")));
    run("style:original", true);
    state->requestPermissions();
    settle();
    state->resetNiveloPermissions(true);
    settle();
    state->resetNiveloPermissions(false);
    settle();
    state->clearClipboardHistory();
    settle();

    QStringList texts;
    for (const ActionStatus& s : statuses()) {
        if (!s.isIdle()) {
            texts << s.message();
        }
    }
    EXPECT_EQ(texts,
              (QStringList{"Выполняю: Исправить", "Читаю выделение", "Исправить running",
                           "Вставляю", "Вставлено", "Запрашиваю разрешения",
                           "Запрос разрешений отправлен", "Сбрасываю разрешения",
                           "Разрешения сброшены. Новый запрос отправлен.", "Сбрасываю разрешения",
                           "Разрешения Nivelo сброшены", "История буфера очищена"}));
}
