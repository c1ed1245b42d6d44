// A run of the pipeline owns its input, its target and its answer: one run at a time, the
// answer goes back where the text was read.

#include "StateFixture.h"

namespace {

class RunTarget : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        makeState();
        state->editSettings([](NiveloSettings& s) { s.autoSelectAllBeforeAction = false; });
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
    void fix() {
        recorded.clear();
        state->run(QuickAction{"style:original"}, true, false);
        settle();
    }
};

const ActionStatus kWorking = running("Исправить running");

}  // namespace

TEST_F(RunTarget, ASecondRunWhileOneIsUnderWayIsIgnoredAtEveryStage) {
    const ActionStatus stages[] = {running("Fix running"), running("Reading selection"), kWorking,
                                   running("Pasting")};
    for (const ActionStatus& stage : stages) {
        SCOPED_TRACE(stage.message().toStdString());
        editor.setText("i has a apple", 0, 13);
        editor.copyCount = 0;
        const int requestsBefore = server.requestCount();
        server.enqueue(CannedReply::result("I have an apple."));
        onStatus(stage, [this] {
            state->run(QuickAction{"translate"}, true, false);
            state->run(QuickAction{"style:friendly"}, false, true);
        });
        fix();
        EXPECT_EQ(statuses().size(), 6);
        EXPECT_EQ(editor.copyCount, 1);
        EXPECT_EQ(server.requestCount(), requestsBefore + 1);
        EXPECT_EQ(editor.text, "I have an apple.");
        EXPECT_EQ(state->sampleText(), "Hi, how are you?");
    }
}

// Neither another application in front, nor a hot key pressed in one, nor the source quitting
// (another process of the same application still running) sends the answer anywhere else.
TEST_F(RunTarget, TheAnswerGoesBackToTheApplicationItWasReadFromOrNowhere) {
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
        onStatus(kWorking, [&] {
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
        fix();

        EXPECT_EQ(other.text, "other text");
        EXPECT_EQ(editor.text, "editor text");
        EXPECT_EQ(other.pasteCount + editor.pasteCount, 0);
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
