// The action pipeline end to end: a simulated editor, the real pasteboard service and focus
// memory on the virtual clock, the real core and backend client against a loopback server. A
// run owns its input, its target and its answer: one reading run at a time, the answer goes back
// where the text was read.

#include "StateFixture.h"

namespace {
// A run's first status names the action's title; the third one its fixed title.
ActionStatus titled(const char* title) {
    return running(QString::fromUtf8(title) + " running");
}
const ActionStatus reading = running("Reading selection");
const ActionStatus pasting = running("Pasting");
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
    // Calls `fn` once, when the status first becomes `status`.
    void onStatus(const ActionStatus& status, std::function<void()> fn) {
        auto pending = std::make_shared<std::function<void()>>(std::move(fn));
        QObject::connect(state.get(), &NiveloAppState::statusChanged, state.get(),
                         [status, pending](const ActionStatus& now) {
                             if (now == status && *pending) {
                                 std::exchange(*pending, nullptr)();
                             }
                         });
    }
};

// Style and translate from a hot key: the selection (all of the text when so set) is sent
// trimmed and the answer pasted in its place, with the selection's own white space around it.
TEST_F(Pipeline, HotKeyRunsRewriteTheSelectionAndPasteBack) {
    state->editSettings([](NiveloSettings& s) {
        s.targetLanguage = "German";
        s.promptStyles.append({"custom-1234abcd", "Pirate", "Talk like a pirate.", "", true});
    });
    const struct {
        const char *id, *title, *fixed, *key, *value;
        bool selectAll;
    } cases[] = {{"style:original", "Fix", "Исправить", "action", "fix", true},
                 {"translate", "Translate", "Перевод", "targetLanguage", "German", false},
                 {"style:custom-1234abcd", "Pirate", "Действие", "writingStyle", "Pirate", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        state->editSettings([&](NiveloSettings& s) { s.autoSelectAllBeforeAction = c.selectAll; });
        editor.setText("keep; i has a apple\nnext", 5, 15);
        editor.selectAllCount = 0;
        const int request = server.requestCount();
        server.enqueue(CannedReply::result("I have an apple."));
        run(c.id, true);

        expectRun({titled(c.title), reading, titled(c.fixed), pasting, done("Pasted"), idle()},
                  900);
        EXPECT_EQ(editor.selectAllCount, c.selectAll ? 1 : 0);
        EXPECT_EQ(sentField(request, c.key), c.value);
        EXPECT_EQ(sentField(request, "text"),
                  c.selectAll ? "keep; i has a apple\nnext" : "i has a apple");
        EXPECT_EQ(editor.text, c.selectAll ? "I have an apple." : "keep; I have an apple.\nnext");
        EXPECT_EQ(state->sampleText(), "Hi, how are you?");
    }
}

// The settings window's try-out leaves the other application alone; only when asked does the
// answer replace the sample.
TEST_F(Pipeline, SampleTextRunsReplaceTheSampleOnlyWhenAsked) {
    server.enqueue(CannedReply::result("Hi! How are you doing?"));
    run("style:friendly", false, true);
    expectRun({titled("Friendly"), titled("Дружелюбно"), done("Hi! How are you doing?"), idle()},
              900);
    EXPECT_EQ(sentField(0, "text"), "Hi, how are you?");

    server.enqueue(CannedReply::result("Good day."));
    run("style:formal", false, false);
    EXPECT_EQ(state->sampleText(), "Hi! How are you doing?");
    EXPECT_EQ(state->latestOutput(), "Good day.");

    state->setSampleText("ghbdtn");
    run("layout", false, true);
    expectRun({titled("Layout"), titled("Раскладка"), done("привет"), idle()}, 900);
    EXPECT_EQ(inputs.selectCalls + editor.copyCount + editor.pasteCount, 0);
}

// The layout fix from a hot key runs silently: through accessibility when it can, else by the fast
// copy and paste (no Select All, key gaps only, 60 ms before the pasteboard comes back); the layout
// follows the new text.
TEST_F(Pipeline, SilentLayoutRunsReplaceTheSelectionAndSwitchLayout) {
    const struct {
        const char *text, *fixed, *layout;
        bool blankAccessibility, setFails;
        int copies;
        QStringList pasted;
        qint64 ms;
        bool autoSwitch = true;
        int failingSelects = 0, selects = 1;
    } cases[] = {{"ghbdtn", "привет", "xkb.layout.ru", false, false, 0, {}, 0},
                 {"ghbdtn", "привет", "xkb.layout.ru", false, true, 0, {"привет"}, 80},
                 // A failed switch is dropped; with auto switch off none is tried.
                 {"ghbdtn", "привет", "xkb.layout.us", false, false, 0, {}, 0, true, 3, 3},
                 {"ghbdtn", "привет", "xkb.layout.us", false, false, 0, {}, 0, false, 0, 0},
                 {"руддщ", "hello", "xkb.layout.us", true, false, 1, {"hello"}, 100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        state->editSettings([&](NiveloSettings& s) { s.layoutAutoSwitch = c.autoSwitch; });
        inputs.setCurrentId("xkb.layout.us");
        inputs.failingSelects = c.failingSelects;
        inputs.selectCalls = 0;
        desktop.keys.log.clear();
        editor.setText(QString::fromUtf8(c.text), 0, QString::fromUtf8(c.text).size());
        editor.copyCount = 0;
        editor.pastedTexts.clear();
        editor.field->failsToSet = c.setFails;
        if (c.blankAccessibility) {
            editor.field->selectedText = QStringLiteral("  ");
        }
        const qint64 start = desktop.clock.nowMs();
        run("layout", true);

        expectRun({idle()}, -1);
        EXPECT_EQ(recordedAtMs.last() - start, c.ms);
        EXPECT_EQ(editor.text, c.fixed);
        EXPECT_EQ(editor.selectAllCount, 0);
        EXPECT_EQ(editor.copyCount, c.copies);
        EXPECT_EQ(editor.pastedTexts, c.pasted);
        EXPECT_EQ(desktop.keys.log.isEmpty(), c.pasted.isEmpty());
        EXPECT_EQ(inputs.currentId(), c.layout);
        EXPECT_EQ(inputs.selectCalls, c.selects);
    }
    EXPECT_EQ(server.requestCount(), 0);
}

// Actions the core refuses: the text is read (Select All only for a style), then the run fails.
TEST_F(Pipeline, RefusedActionsReadAndFailWithoutTouchingTheText) {
    const struct {
        const char *id, *title, *fixed, *failure;
        int selectAll;
    } cases[] = {{"ai", "AI assistant", "AI помощник", "AI assistant", 0},
                 {"style:gone", "Действие", "Действие", "Style style:gone", 1}};
    for (const auto& c : cases) {
        editor.setText("question", 0, 8);
        editor.selectAllCount = 0;
        run(c.id, true);
        expectRun({titled(c.title), reading, titled(c.fixed),
                   failed("This native action is not ported yet: " + QString::fromUtf8(c.failure)),
                   idle()},
                  1300);
        EXPECT_EQ(editor.selectAllCount, c.selectAll);
        EXPECT_EQ(editor.text, "question");
    }
    EXPECT_EQ(server.requestCount(), 0);
}

// Failures at each stage: the text and the latest output stay as they were.
TEST_F(Pipeline, FailuresAtEachStageLeaveTheTextAndTheLatestOutput) {
    editor.setText("words", 0, 5);
    desktop.keys.trusted = false;
    state->setSampleText("sample");
    run("style:original", true, true);
    expectRun({titled("Fix"), reading, failed("Could not send copy shortcut."), idle()}, 1300);
    EXPECT_EQ(state->sampleText(), "sample");
    desktop.keys.trusted = true;
    editor.setText(QString());
    run("translate", true);
    expectRun({titled("Translate"), reading, failed("No selected text."), idle()}, 1300);
    EXPECT_EQ(server.requestCount(), 0);

    // A clipboard that cannot be read whole is not borrowed: no Copy, nothing cleared.
    editor.setText("words", 0, 5);
    editor.copyCount = 0;
    desktop.pasteboard.stopAnswering();
    const int clears = desktop.pasteboard.clearCount();
    run("style:original", true);
    expectRun({titled("Fix"), reading,
               failed("Could not keep your clipboard, so nothing was changed."), idle()},
              1300);
    EXPECT_EQ(editor.copyCount, 0);
    EXPECT_EQ(desktop.pasteboard.clearCount(), clears);
    desktop.pasteboard.putItems({{{"text/plain", QByteArray("user text")}}});
    userContent = desktop.pasteboard.content();

    server.enqueue(CannedReply::json(429, R"({"error":"Too many requests today."})"));
    run("style:original", true);
    expectRun(fixRun({failed("Too many requests today."), idle()}), 1300);
    EXPECT_EQ(editor.pasteCount, 0);

    server.enqueue(CannedReply::result("earlier result"));
    run("style:original", false);
    server.setHandler([&](const RecordedRequest&) {
        desktop.keys.failsToPost = true;
        return CannedReply::result("Words.");
    });
    run("style:original", true);
    EXPECT_EQ(statuses(), fixRun({pasting, failed("Could not send paste shortcut."), idle()}));
    EXPECT_EQ(editor.text, "words");
    EXPECT_EQ(state->latestOutput(), "earlier result");
    // The one exception: the result is the only copy of itself now.
    EXPECT_EQ(desktop.pasteboard.plainText(), "Words.");
}

TEST_F(Pipeline, ASecondRunWhileOneIsUnderWayIsIgnoredAtEveryStage) {
    const ActionStatus stages[] = {titled("Fix"), reading, titled("Исправить"), pasting};
    for (const ActionStatus& stage : stages) {
        SCOPED_TRACE(stage.message().toStdString());
        editor.setText("i has a apple", 0, 13);
        editor.copyCount = 0;
        const int requestsBefore = server.requestCount();
        server.enqueue(CannedReply::result("I have an apple."));
        onStatus(stage, [this] { state->run(QuickAction{"translate"}, true, false); });
        run("style:original", true);
        EXPECT_EQ(statuses().size(), 6);
        EXPECT_EQ(editor.copyCount, 1);
        EXPECT_EQ(server.requestCount(), requestsBefore + 1);
        EXPECT_EQ(editor.text, "I have an apple.");
        EXPECT_EQ(state->sampleText(), "Hi, how are you?");
    }
}

// The settings window's runs read and paste nothing: every press starts one, beside another
// sample run or a hot-key run at any of its stages, and each one's answer lands.
TEST_F(Pipeline, SampleRunsAreNeverHeldAndEachOnesAnswerLands) {
    int answers = 0;
    server.setHandler([&](const RecordedRequest& request) {
        const QString text = json::qstr(json::parse(request.body)->at("text").get<std::string>());
        return CannedReply::result(text == "i has a apple"
                                       ? QStringLiteral("I have an apple.")
                                       : QStringLiteral("answer %1").arg(++answers));
    });
    QStringList landed;
    QObject::connect(state.get(), &NiveloAppState::latestOutputChanged, state.get(),
                     [&](const QString& text) { landed << text; });
    const auto doneCount = [this] {
        return std::count_if(recorded.begin(), recorded.end(), [](const ActionStatus& s) {
            return s.kind() == ActionStatus::Kind::done;
        });
    };

    recorded.clear();
    state->run(QuickAction{"style:friendly"}, false, true);
    state->run(QuickAction{"style:formal"}, false, true);
    settle();
    EXPECT_EQ(server.requestCount(), 2);
    EXPECT_EQ(landed.size(), 2);
    EXPECT_TRUE(landed.contains("answer 1") && landed.contains("answer 2"))
        << landed.join(", ").toStdString();
    EXPECT_EQ(doneCount(), 2);
    EXPECT_EQ(state->sampleText(), landed.value(1));

    const ActionStatus stages[] = {titled("Fix"), reading, titled("Исправить"), pasting};
    for (const ActionStatus& stage : stages) {
        SCOPED_TRACE(stage.message().toStdString());
        editor.setText("i has a apple", 0, 13);
        state->setSampleText("sample");
        const int requestsBefore = server.requestCount();
        landed.clear();
        onStatus(stage, [this] { state->run(QuickAction{"style:friendly"}, false, true); });
        run("style:original", true);
        EXPECT_EQ(server.requestCount(), requestsBefore + 2);
        EXPECT_EQ(editor.text, "I have an apple.");
        EXPECT_EQ(doneCount(), 2);
        EXPECT_TRUE(state->sampleText().startsWith("answer ")) << state->sampleText().toStdString();
        EXPECT_TRUE(landed.contains(state->sampleText()));
    }

    // Nor does a sample run under way hold a hot-key run.
    editor.setText("i has a apple", 0, 13);
    onStatus(titled("Friendly"),
             [this] { state->run(QuickAction{"style:original"}, true, false); });
    run("style:friendly", false, true);
    EXPECT_EQ(editor.text, "I have an apple.");
    EXPECT_EQ(doneCount(), 2);
}

// Neither another application in front, nor a hot key pressed in one, nor the source quitting
// (another process of the same application still running) sends the answer anywhere else.
TEST_F(Pipeline, TheAnswerGoesBackToTheApplicationItWasReadFromOrNowhere) {
    for (int scenario = 0; scenario < 3; ++scenario) {
        SCOPED_TRACE(scenario);
        SimulatedApp& source = desktop.launch(editor.bundleIdentifier);
        SimulatedApp& other = desktop.launch("org.example.other");
        const qint64 sourcePid = source.pid;
        other.setText("other text", 0, 10);
        editor.setText("editor text", 0, 11);
        source.setText("i has a apple", 0, 13);
        desktop.bringToFront(source.pid);
        VirtualClock::flushEvents();
        server.enqueue(CannedReply::result("I have an apple."));
        onStatus(titled("Исправить"), [&] {
            if (scenario == 2) {
                desktop.quit(sourcePid);
                return;
            }
            desktop.bringToFront(other.pid);
            VirtualClock::flushEvents();
            if (scenario == 1) {
                captureServices.focus.rememberFrontmostApplication();
            }
        });
        run("style:original", true);

        EXPECT_EQ(other.text, "other text");
        EXPECT_EQ(editor.text, "editor text");
        EXPECT_EQ(desktop.pasteboard.content(), userContent);
        if (scenario == 2) {
            EXPECT_EQ(statuses().at(statuses().size() - 2), failed("No app to paste into."));
        } else {
            EXPECT_EQ(source.text, "I have an apple.");
            desktop.quit(sourcePid);
        }
        desktop.quit(other.pid);
    }
}

// The roads above are checked in English; every status text they show has its Russian form.
TEST_F(Pipeline, EveryStatusTextHasItsRussianForm) {
    setLanguage(UiLanguage::ru);
    editor.setText("i has a apple", 0, 13);
    server.enqueue(CannedReply::result("I have an apple."));
    run("style:original", true);
    state->clearClipboardHistory();
    state->requestPermissions();
    settle();
    for (const bool again : {true, false}) {
        state->resetNiveloPermissions(again);
        settle();
    }
    QList<ActionStatus> shown;
    for (const ActionStatus& status : statuses()) {
        if (!status.isIdle()) {
            shown.append(status);
        }
    }
    EXPECT_EQ(shown, (QList<ActionStatus>{
                         running("Выполняю: Исправить"), running("Читаю выделение"),
                         titled("Исправить"), running("Вставляю"), done("Вставлено"),
                         done("История буфера очищена"), running("Запрашиваю разрешения"),
                         done("Запрос разрешений отправлен"), running("Сбрасываю разрешения"),
                         done("Разрешения сброшены. Новый запрос отправлен."),
                         running("Сбрасываю разрешения"), done("Разрешения Nivelo сброшены")}));
}
