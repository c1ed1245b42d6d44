#include "CaptureFixture.h"

const char* const kNoApp = "No app to paste into.";
const char* const kNoPaste = "Could not send paste shortcut.";

class PasteTest : public CaptureTest {
protected:
    // Runs the paste to its end; checks when it ended, when Paste went out, the editor's text.
    void expectPaste(const std::shared_ptr<TaskOutcome<void>>& outcome, qint64 endMs,
                     QList<qint64> pasteDowns, const QString& editorText) {
        EXPECT_EQ(runToEnd(outcome), endMs);
        EXPECT_EQ(desktop.keys.downTimes(KeyCode::V), pasteDowns);
        EXPECT_EQ(editor.text, editorText);
    }
};

TEST_F(PasteTest, PastesIntoTheRememberedApplicationAndRestoresAfter1300Ms) {
    auto outcome = startTask(paste(QStringLiteral("Hi")));
    desktop.clock.advance(180);
    EXPECT_EQ(desktop.pasteboard.plainText(), QStringLiteral("Hi"));
    EXPECT_EQ(desktop.frontmost(), &editor);
    expectPaste(outcome, 180 + 180 + 20 + 1300, {360}, QStringLiteral("Hi world"));
    EXPECT_TRUE(outcome->value) << outcome->errorDescription().toStdString();
    expectUserPasteboardBack();
}

TEST_F(PasteTest, WaitsForModifiersBeforePaste) {
    desktop.keys.holdModifiers(KeyModifier::Alt, 400);
    // Checked at 360, 395, then released at 430.
    expectPaste(startTask(paste(QStringLiteral("Hi"))), 430 + 20 + 1300, {430},
                QStringLiteral("Hi world"));
}

TEST_F(PasteTest, ByIdentifierActivatesThatApplication) {
    auto& other = desktop.launch(QStringLiteral("org.example.notes"));
    other.setText(QStringLiteral("abc"), 3, 0);
    // A text of spaces is pasted as it is.
    auto outcome = startTask(paste(QStringLiteral("  "), QStringLiteral("org.example.notes")));
    expectPaste(outcome, 1680, {360}, QStringLiteral("Hello world"));
    EXPECT_TRUE(outcome->value);
    EXPECT_EQ(other.text, QStringLiteral("abc  "));
}

TEST_F(PasteTest, AnEmptyTextIsRefusedBeforeAnythingHappens) {
    auto outcome = startTask(paste(QString()));
    expectError(*outcome, Kind::emptyText, "Nothing to paste.");
    EXPECT_TRUE(capture.calls.isEmpty());
    EXPECT_EQ(desktop.pasteboard.changeCount(), initialChangeCount);
}

// An identifier that is not running, nothing remembered, an application that refuses.
TEST_F(PasteTest, WithoutAnApplicationToPasteIntoThePasteboardIsUntouched) {
    FocusService fresh(desktop.workspace, desktop.accessibility);
    PasteboardService forgetful({desktop.clock, desktop.pasteboard, desktop.keys, desktop.workspace,
                                 desktop.accessibility, fresh, capture});
    const std::function<QCoro::Task<>()> attempts[] = {
        [&] { return paste(QStringLiteral("Hi"), QStringLiteral("org.example.gone")); },
        [&] { return forgetful.pasteTransient(QStringLiteral("Hi"), std::nullopt, {}); },
        [&] {
            editor.refusesActivation = true;
            return paste(QStringLiteral("Hi"));
        }};
    for (const auto& attempt : attempts) {
        SCOPED_TRACE(&attempt - attempts);
        capture.calls.clear();
        auto outcome = startTask(attempt());
        expectPaste(outcome, 0, {}, QStringLiteral("Hello world"));
        expectError(*outcome, Kind::pasteTargetUnavailable, kNoApp);
        EXPECT_EQ(desktop.pasteboard.changeCount(), initialChangeCount);
        expectHandshakeAroundEveryWrite();
    }
}

// Without permission, or when the key events fail.
TEST_F(PasteTest, APasteThatCannotBeSentLeavesTheResultOnThePasteboard) {
    desktop.keys.trusted = false;
    auto outcome = startTask(paste(QStringLiteral("Hi")));
    expectPaste(outcome, 360, {}, QStringLiteral("Hello world"));
    expectError(*outcome, Kind::pasteEventFailed, kNoPaste);
    EXPECT_EQ(desktop.pasteboard.plainText(), QStringLiteral("Hi"));
    EXPECT_EQ(capture.count(true), 0);
    // The suppression runs out by itself 3.5 s after it began.
    desktop.clock.advance(3499 - 360);
    EXPECT_TRUE(history.isCaptureSuppressed());
    desktop.clock.advance(1);
    EXPECT_FALSE(history.isCaptureSuppressed());

    desktop.keys.trusted = true;
    desktop.keys.failsToPost = true;
    outcome = startTask(paste(QStringLiteral("Ho")));
    runToEnd(outcome);
    expectError(*outcome, Kind::pasteEventFailed, kNoPaste);
    EXPECT_EQ(desktop.pasteboard.plainText(), QStringLiteral("Ho"));
}

TEST_F(PasteTest, ANewerCopyDuringTheRestorePauseIsKept) {
    auto outcome = startTask(paste(QStringLiteral("Hi")));
    desktop.clock.advance(1000);
    desktop.pasteboard.putText(QStringLiteral("copied meanwhile"));
    expectPaste(outcome, 1680, {360}, QStringLiteral("Hi world"));
    EXPECT_TRUE(outcome->value);
    EXPECT_EQ(desktop.pasteboard.plainText(), QStringLiteral("copied meanwhile"));
    EXPECT_EQ(history.lastText(), QStringLiteral("copied meanwhile"));
    expectHandshakeAroundEveryWrite();
}

TEST_F(PasteTest, ACanonicallyEqualTextStillCountsAsOurs) {
    // The pasted text decomposed by whoever served it: still the same text.
    auto outcome = startTask(paste(QStringLiteral("caf\u00e9")));
    desktop.clock.advance(1000);
    desktop.pasteboard.putText(QStringLiteral("cafe\u0301"));
    runToEnd(outcome);
    EXPECT_EQ(desktop.pasteboard.content(), userContent);
}

// During the activation nothing is written; before Paste nothing is pasted.
TEST_F(PasteTest, ACancelRestoresAndFinishesAtEveryStep) {
    for (const qint64 ms : {50, 250, 900}) {
        SCOPED_TRACE(ms);
        const qint64 changeCount = desktop.pasteboard.changeCount();
        const int pastes = editor.pasteCount;
        capture.calls.clear();
        auto outcome = startTask(paste(QStringLiteral("Hi")));
        cancelAt(desktop.clock.nowMs() + ms, outcome);
        EXPECT_EQ(editor.pasteCount, pastes + (ms > 360 ? 1 : 0));
        EXPECT_EQ(desktop.pasteboard.changeCount() == changeCount, ms < 180);
        EXPECT_EQ(desktop.pasteboard.content(), userContent);
        initialChangeCount = changeCount;
        expectHandshakeAroundEveryWrite();
        token = CancelToken();
    }
}

TEST_F(PasteTest, ACancelledPasteKeepsANewerCopy) {
    auto outcome = startTask(paste(QStringLiteral("Hi")));
    desktop.clock.advance(900);
    desktop.pasteboard.putText(QStringLiteral("mine"));
    cancelAt(900, outcome);
    EXPECT_EQ(desktop.pasteboard.plainText(), QStringLiteral("mine"));
    expectHandshakeAroundEveryWrite();
}
