#include "CaptureFixture.h"

// The editor is remembered with its window; its text area is the reply editor.
class ReplyPasteTest : public CaptureTest {
protected:
    void SetUp() override {
        CaptureTest::SetUp();
        editor.setText(QStringLiteral("Hi"), 2, 0);
    }
    std::shared_ptr<TaskOutcome<void>> reply(const QString& text = QStringLiteral(" there")) {
        return startTask(service.pasteAIReply(text, editor.pid));
    }
    // After every outcome: the user's pasteboard, focus memory let go, the history told once.
    void expectEndStep() {
        EXPECT_EQ(desktop.pasteboard.content(), userContent);
        EXPECT_EQ(focus.restoringProcessIdentifier(), std::nullopt);
        EXPECT_EQ(focus.replyEditor(), nullptr);
        EXPECT_EQ(capture.count(true), 1);
    }
};

TEST_F(ReplyPasteTest, PastesConfirmsAndRestoresWithoutAPause) {
    auto outcome = reply();
    // Paste goes out at once; the editor changed at the first check after the key-up.
    EXPECT_EQ(runToEnd(outcome), 20);
    EXPECT_TRUE(outcome->value) << outcome->errorDescription().toStdString();
    EXPECT_EQ(editor.text, QStringLiteral("Hi there"));
    EXPECT_EQ(desktop.keys.downTimes(KeyCode::V), QList<qint64>{0});
    expectEndStep();
}

// Every failure from the begin on, with its text, the time it ends and whether Paste went out.
struct ReplyFailure {
    const char* name;
    std::function<void(SimulatedDesktop&, SimulatedApp&)> arrange;
    Kind kind;
    const char* text;
    qint64 endMs;
    bool pasted;
};
class ReplyPasteFailure : public ReplyPasteTest,
                          public ::testing::WithParamInterface<ReplyFailure> {};

TEST_P(ReplyPasteFailure, RunsTheEndStep) {
    GetParam().arrange(desktop, editor);
    auto outcome = reply();
    const qint64 start = desktop.clock.nowMs();
    EXPECT_EQ(runToEnd(outcome) - start, GetParam().endMs);
    expectError(*outcome, GetParam().kind, GetParam().text);
    EXPECT_EQ(editor.pasteCount, GetParam().pasted ? 1 : 0);
    expectEndStep();
}

INSTANTIATE_TEST_SUITE_P(
    Failures, ReplyPasteFailure,
    ::testing::Values(
        ReplyFailure{"Refuses",
                     [](SimulatedDesktop&, SimulatedApp& e) { e.refusesActivation = true; },
                     Kind::pasteTargetUnavailable, "No app to paste into.", 0, false},
        ReplyFailure{"StaysBehind",
                     [](SimulatedDesktop&, SimulatedApp& e) { e.staysBehind = true; },
                     Kind::pasteTargetUnavailable, "No app to paste into.", 3000, false},
        ReplyFailure{"NoEditor",
                     [](SimulatedDesktop&, SimulatedApp& e) { e.field->focusable = false; },
                     Kind::pasteEditorUnavailable, "No editable field found in the target app.",
                     160 * 25, false},
        ReplyFailure{"NoKeys",
                     [](SimulatedDesktop& d, SimulatedApp&) { d.keys.failsToPost = true; },
                     Kind::pasteEventFailed, "Could not send paste shortcut.", 0, false},
        ReplyFailure{"UnreadableBefore",
                     [](SimulatedDesktop&, SimulatedApp& e) {
                         e.field->failing = {SimulatedAXNode::Query::Value,
                                             SimulatedAXNode::Query::CharacterCount};
                     },
                     Kind::pasteNotApplied,
                     "The paste shortcut was sent, but the field did not change.", 20, true},
        ReplyFailure{"Unchanged",
                     [](SimulatedDesktop&, SimulatedApp& e) {
                         e.field->value = QStringLiteral("Hi");
                         e.field->characterCount = 2;
                     },
                     Kind::pasteNotApplied,
                     "The paste shortcut was sent, but the field did not change.", 20 + 60 * 20,
                     true},
        // A field that stops answering after Paste has not changed by that alone.
        ReplyFailure{
            "UnansweredAfterPaste",
            [](SimulatedDesktop& d, SimulatedApp& e) {
                e.field->value = QStringLiteral("Hi");
                e.field->characterCount = 2;
                d.clock.callAfter(
                    10, [field = e.field] { field->failing = {SimulatedAXNode::Query::Value}; });
            },
            Kind::pasteNotApplied, "The paste shortcut was sent, but the field did not change.",
            20 + 60 * 20, true}),
    [](const auto& info) { return std::string(info.param.name); });

// On a loaded desktop the target comes to the front, and its editor takes the focus, seconds
// after they were asked to: the reply still lands there.
TEST_F(ReplyPasteTest, ASlowActivationAndASlowFocusStillGetTheReply) {
    editor.staysBehind = true;
    editor.field->focusable = false;
    desktop.clock.callAfter(2500, [&] { desktop.bringToFront(editor.pid); });
    desktop.clock.callAfter(6000, [&] { editor.field->focusable = true; });
    auto outcome = reply();
    runToEnd(outcome);
    EXPECT_TRUE(outcome->value) << outcome->errorDescription().toStdString();
    EXPECT_EQ(editor.text, QStringLiteral("Hi there"));
    expectEndStep();
}

// A target busy fetching the reply answers no question over the accessibility bus (and Firefox
// gives up a fetch whose answer such a question held up): the checks start once it took the text.
TEST_F(ReplyPasteTest, TheConfirmationWaitsForTheTargetsFetch) {
    desktop.pasteboard.setServesLater(true);
    desktop.clock.callAfter(10, [field = editor.field] {
        field->failing = {SimulatedAXNode::Query::Value, SimulatedAXNode::Query::CharacterCount};
    });
    desktop.clock.callAfter(1500, [&] {
        editor.field->failing = {};
        desktop.pasteboard.serveText();
    });
    auto outcome = reply();
    runToEnd(outcome);
    EXPECT_TRUE(outcome->value) << outcome->errorDescription().toStdString();
    expectEndStep();
}

TEST_F(ReplyPasteTest, ATextNotYetFetchedHoldsTheRestore) {
    desktop.pasteboard.setServesLater(true);
    auto outcome = reply();
    desktop.clock.advance(400);
    EXPECT_FALSE(outcome->done);
    EXPECT_EQ(desktop.pasteboard.plainText(), QStringLiteral(" there"));
    desktop.pasteboard.serveText();
    runToEnd(outcome);
    EXPECT_TRUE(outcome->value);
    expectEndStep();
}

TEST_F(ReplyPasteTest, TheTargetsActivationIsNotRememberedMeanwhile) {
    const auto window = focus.rememberedWindow();
    editor.window = SimulatedAXNode::make(AXRole::Window);
    editor.staysBehind = true;
    auto outcome = reply();
    desktop.clock.advance(100);
    desktop.bringToFront(editor.pid);
    VirtualClock::flushEvents();
    EXPECT_EQ(focus.rememberedWindow(), window);
    runToEnd(outcome);
    EXPECT_TRUE(outcome->value) << outcome->errorDescription().toStdString();
}

// A busy editor's activation handled after it lost the focus again: no window is focused in
// it by then, and the one it was remembered with is kept for the reply.
TEST_F(ReplyPasteTest, ALateActivationOfTheSameEditorKeepsItsWindow) {
    const auto window = focus.rememberedWindow();
    ASSERT_NE(window, nullptr);
    const auto shown = editor.window;
    editor.window = nullptr;
    desktop.bringToFront(editor.pid);
    VirtualClock::flushEvents();
    EXPECT_EQ(focus.rememberedWindow(), window);
    editor.window = shown;
    desktop.bringToFront(panel.pid);
    VirtualClock::flushEvents();
    auto outcome = reply();
    runToEnd(outcome);
    EXPECT_TRUE(outcome->value) << outcome->errorDescription().toStdString();
    expectEndStep();
}

// A busy application shows its focused field late; the reply still lands.
TEST_F(ReplyPasteTest, AnEditorThatShowsItsFocusLateIsStillFound) {
    editor.field->focusable = false;
    desktop.clock.callAfter(1500, [this] { editor.field->focusable = true; });
    auto outcome = reply();
    EXPECT_EQ(runToEnd(outcome), 1500 + 20);
    EXPECT_TRUE(outcome->value) << outcome->errorDescription().toStdString();
    EXPECT_EQ(editor.text, QStringLiteral("Hi there"));
    expectEndStep();
}

TEST_F(ReplyPasteTest, AnEmptyReplyIsRefusedAtOnce) {
    auto outcome = reply(QString());
    expectError(*outcome, Kind::emptyText, "Nothing to paste.");
    EXPECT_TRUE(capture.calls.isEmpty());
}
