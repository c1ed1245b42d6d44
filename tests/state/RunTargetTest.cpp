// A run of the pipeline owns its input, its target and its answer: one run at a time, the
// answer goes back where the text was read, with the selection's own white space around it.

#include "StateFixture.h"
#include "base/Text.h"

namespace {

class RunTarget : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        makeState();
        state->editSettings([](NiveloSettings& s) { s.autoSelectAllBeforeAction = false; });
        recorded.clear();
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

const ActionStatus kFixStarted = running(QStringLiteral("Fix running"));
const ActionStatus kReading = running(QStringLiteral("Reading selection"));
const ActionStatus kWorking = running(QStringLiteral("Исправить running"));
const ActionStatus kPasting = running(QStringLiteral("Pasting"));

}  // namespace

TEST_F(RunTarget, ASecondRunWhileOneIsUnderWayIsIgnoredAtEveryStage) {
    const QList<ActionStatus> oneRun{
        kFixStarted, kReading, kWorking, kPasting, done(QStringLiteral("Pasted")), idle()};
    for (const ActionStatus& stage : {kFixStarted, kReading, kWorking, kPasting}) {
        SCOPED_TRACE(stage.message().toStdString());
        editor.setText(QStringLiteral("i has a apple"), 0, 13);
        editor.copyCount = 0;
        editor.pastedTexts.clear();
        recorded.clear();
        const int requestsBefore = server.requestCount();
        server.enqueue(CannedReply::result(QStringLiteral("I have an apple.")));
        onStatus(stage, [this] {
            state->run(QuickAction{QStringLiteral("translate")}, true, false);
            state->run(QuickAction{QStringLiteral("style:friendly")}, false, true);
        });
        state->run(QuickAction{QStringLiteral("style:original")}, true, false);
        settle();

        EXPECT_EQ(statuses(), oneRun);
        EXPECT_EQ(editor.copyCount, 1);
        EXPECT_EQ(server.requestCount(), requestsBefore + 1);
        EXPECT_EQ(editor.pastedTexts, QStringList{QStringLiteral("I have an apple.")});
        EXPECT_EQ(state->sampleText(), "Hi, how are you?");
    }
    // Once a run has ended, failed or not, the next one goes ahead.
    editor.setText(QString());
    state->run(QuickAction{QStringLiteral("style:original")}, true, false);
    settle();
    EXPECT_EQ(statuses().last(), idle());
    recorded.clear();
    editor.setText(QStringLiteral("thsi"), 0, 4);
    server.enqueue(CannedReply::result(QStringLiteral("this")));
    state->run(QuickAction{QStringLiteral("style:original")}, true, false);
    settle();
    EXPECT_EQ(statuses(), oneRun);
    EXPECT_EQ(editor.text, "this");
}

TEST_F(RunTarget, TheAnswerGoesBackToTheApplicationItWasReadFromOrNowhere) {
    struct Case {
        const char* name;
        // What happens on the desktop while the answer is on its way.
        std::function<void(SimulatedApp& source, SimulatedApp& other)> meanwhile;
        bool sourceQuits;
    };
    const std::vector<Case> cases{
        {"another application comes to the front",
         [this](SimulatedApp&, SimulatedApp& other) { desktop.bringToFront(other.pid); }, false},
        {"the user presses a hot key in another application",
         [this](SimulatedApp&, SimulatedApp& other) {
             desktop.bringToFront(other.pid);
             VirtualClock::flushEvents();
             captureServices.focus.rememberFrontmostApplication();
         },
         false},
        {"the source quits; another process of the same application runs",
         [this](SimulatedApp& source, SimulatedApp&) { desktop.quit(source.pid); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A second window of the same editor, in its own process, and another application.
        SimulatedApp& source = desktop.launch(editor.bundleIdentifier);
        SimulatedApp& other = desktop.launch(QStringLiteral("org.example.other"));
        const qint64 sourcePid = source.pid;
        other.setText(QStringLiteral("other text"), 0, 10);
        editor.setText(QStringLiteral("editor text"), 0, 11);
        source.setText(QStringLiteral("i has a apple"), 0, 13);
        desktop.bringToFront(source.pid);
        VirtualClock::flushEvents();
        recorded.clear();
        server.enqueue(CannedReply::result(QStringLiteral("I have an apple.")));
        onStatus(kWorking, [&] { c.meanwhile(source, other); });
        state->run(QuickAction{QStringLiteral("style:original")}, true, false);
        settle();

        EXPECT_EQ(other.pasteCount, 0);
        EXPECT_EQ(other.text, "other text");
        EXPECT_EQ(editor.pasteCount, 0);
        EXPECT_EQ(editor.text, "editor text");
        EXPECT_EQ(desktop.pasteboard.content(), userContent);
        if (c.sourceQuits) {
            EXPECT_EQ(statuses().at(statuses().size() - 2),
                      failed(QStringLiteral("No app to paste into.")));
        } else {
            EXPECT_EQ(source.text, "I have an apple.");
            EXPECT_EQ(statuses().at(statuses().size() - 2), done(QStringLiteral("Pasted")));
            desktop.quit(sourcePid);
        }
        desktop.quit(other.pid);
    }
}

TEST_F(RunTarget, ThePasteKeepsTheSelectionsOwnWhiteSpaceAroundTheAnswer) {
    struct Case {
        QString text;
        int start;
        int length;
        QString answer;
        QString expected;
    };
    const std::vector<Case> cases{
        // Two whole lines: the line break after them stays.
        {"i has\na apple\nnext line", 0, 14, "I have\nan apple.", "I have\nan apple.\nnext line"},
        {"  indented lin\nnext", 0, 15, "Indented line.", "  Indented line.\nnext"},
        {"a \tthsi\r\n", 2, 7, "This.", "a \tThis.\r\n"},
        {"word", 0, 4, "Word.", "Word."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        editor.setText(c.text, c.start, c.length);
        server.enqueue(CannedReply::result(c.answer));
        const int request = server.requestCount();
        state->run(QuickAction{QStringLiteral("style:original")}, true, false);
        settle();
        // The backend gets the text without it and answers without it.
        EXPECT_EQ(sentField(request, "text"), text::trimmed(c.text.mid(c.start, c.length)));
        EXPECT_EQ(editor.text, c.expected);
        EXPECT_EQ(state->latestOutput(), c.answer);
    }
}
