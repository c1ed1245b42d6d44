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

TEST_F(PasteTest, FastTimingRestoresAfter60Ms) {
    auto outcome = startTask(paste(QStringLiteral("Hi"), std::nullopt, PasteboardTiming::fast()));
    expectPaste(outcome, 20 + 60, {0}, QStringLiteral("Hi world"));
    expectUserPasteboardBack();
}

TEST_F(PasteTest, WaitsForModifiersBeforePaste) {
    desktop.keys.holdModifiers(KeyModifier::Alt, 400);
    // Checked at 360, 395, then released at 430.
    expectPaste(startTask(paste(QStringLiteral("Hi"))), 430 + 20 + 1300, {430},
                QStringLiteral("Hi world"));
}

TEST_F(PasteTest, ATextOfSpacesIsPasted) {
    expectPaste(startTask(paste(QStringLiteral("  "))), 1680, {360}, QStringLiteral("   world"));
}

TEST_F(PasteTest, ByIdentifierActivatesThatApplication) {
    auto& other = desktop.launch(QStringLiteral("org.example.notes"));
    other.setText(QStringLiteral("abc"), 3, 0);
    auto outcome = startTask(paste(QStringLiteral("!"), QStringLiteral("org.example.notes")));
    expectPaste(outcome, 1680, {360}, QStringLiteral("Hello world"));
    EXPECT_TRUE(outcome->value);
    EXPECT_EQ(other.text, QStringLiteral("abc!"));
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
}

TEST_F(PasteTest, FailingKeyEventsGiveTheSameError) {
    desktop.keys.failsToPost = true;
    auto outcome = startTask(paste(QStringLiteral("Hi")));
    runToEnd(outcome);
    expectError(*outcome, Kind::pasteEventFailed, kNoPaste);
    EXPECT_EQ(desktop.pasteboard.plainText(), QStringLiteral("Hi"));
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

TEST_F(PasteTest, CancelledAfterTheTextWasWrittenRestoresAndFinishes) {
    auto outcome = startTask(paste(QStringLiteral("Hi")));
    cancelAt(900, outcome);
    EXPECT_EQ(editor.text, QStringLiteral("Hi world"));
    expectUserPasteboardBack();
}

TEST_F(PasteTest, CancelledBeforePasteWasSentRestoresWithoutPasting) {
    auto outcome = startTask(paste(QStringLiteral("Hi")));
    cancelAt(250, outcome);
    EXPECT_EQ(editor.pasteCount, 0);
    expectUserPasteboardBack();
}

TEST_F(PasteTest, CancelledDuringActivationWritesNothing) {
    auto outcome = startTask(paste(QStringLiteral("Hi")));
    cancelAt(50, outcome);
    EXPECT_EQ(desktop.pasteboard.changeCount(), initialChangeCount);
    expectHandshakeAroundEveryWrite();
}

TEST_F(PasteTest, ACancelledPasteKeepsANewerCopy) {
    auto outcome = startTask(paste(QStringLiteral("Hi")));
    desktop.clock.advance(900);
    desktop.pasteboard.putText(QStringLiteral("mine"));
    cancelAt(900, outcome);
    EXPECT_EQ(desktop.pasteboard.plainText(), QStringLiteral("mine"));
    expectHandshakeAroundEveryWrite();
}
