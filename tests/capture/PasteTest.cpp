#include "CaptureFixture.h"

using Kind = PasteboardServiceErrorKind;

class PasteTest : public CaptureTest {};

TEST_F(PasteTest, PastesIntoTheRememberedApplicationAndRestoresAfter1300Ms) {
    auto outcome = startTask(paste(QStringLiteral("Hi")));
    desktop.clock.advance(180);
    EXPECT_EQ(desktop.pasteboard.plainText(), QStringLiteral("Hi"));
    EXPECT_EQ(desktop.frontmost(), &editor);
    EXPECT_EQ(runToEnd(outcome), 180 + 180 + 20 + 1300);
    ASSERT_TRUE(outcome->value) << outcome->errorDescription().toStdString();
    EXPECT_EQ(desktop.keys.downTimes(KeyCode::V), QList<qint64>({360}));
    EXPECT_EQ(editor.text, QStringLiteral("Hi world"));
    EXPECT_EQ(desktop.pasteboard.content(), userContent());
    expectHandshakeAroundEveryWrite();
}

TEST_F(PasteTest, FastTimingRestoresAfter60Ms) {
    auto outcome = startTask(paste(QStringLiteral("Hi"), std::nullopt, PasteboardTiming::fast()));
    EXPECT_EQ(runToEnd(outcome), 20 + 60);
    EXPECT_EQ(desktop.keys.downTimes(KeyCode::V), QList<qint64>({0}));
    EXPECT_EQ(editor.text, QStringLiteral("Hi world"));
    EXPECT_EQ(desktop.pasteboard.content(), userContent());
}

TEST_F(PasteTest, ByIdentifierActivatesThatApplication) {
    auto& other = desktop.launch(QStringLiteral("org.example.notes"));
    other.setText(QStringLiteral("abc"), 3, 0);
    auto outcome = startTask(paste(QStringLiteral("!"), QStringLiteral("org.example.notes")));
    runToEnd(outcome);
    EXPECT_TRUE(outcome->value);
    EXPECT_EQ(other.text, QStringLiteral("abc!"));
    EXPECT_EQ(editor.pasteCount, 0);
}

TEST_F(PasteTest, WaitsForModifiersBeforePaste) {
    desktop.keys.holdModifiers(KeyModifier::Alt, 400);
    auto outcome = startTask(paste(QStringLiteral("Hi")));
    runToEnd(outcome);
    // Checked at 360, 395, then released at 430.
    EXPECT_EQ(desktop.keys.downTimes(KeyCode::V), QList<qint64>({430}));
}

TEST_F(PasteTest, AnEmptyTextIsRefusedBeforeAnythingHappens) {
    auto outcome = startTask(paste(QString()));
    EXPECT_TRUE(outcome->done);
    EXPECT_EQ(outcome->errorDescription(), QStringLiteral("Nothing to paste."));
    EXPECT_EQ(errorKind(outcome->error), Kind::emptyText);
    EXPECT_TRUE(capture.calls.isEmpty());
    EXPECT_EQ(desktop.pasteboard.changeCount(), initialChangeCount);
}

TEST_F(PasteTest, ATextOfSpacesIsPasted) {
    auto outcome = startTask(paste(QStringLiteral("  ")));
    runToEnd(outcome);
    EXPECT_TRUE(outcome->value);
    EXPECT_EQ(editor.text, QStringLiteral("   world"));
}

TEST_F(PasteTest, NoTargetFailsAndLeavesThePasteboardUntouched) {
    FocusService fresh(desktop.workspace, desktop.accessibility);
    PasteboardService other({desktop.clock, desktop.pasteboard, desktop.keys, desktop.workspace,
                             desktop.accessibility, fresh, capture});
    auto outcome = startTask(
        other.pasteTransient(QStringLiteral("Hi"), std::nullopt, PasteboardTiming::standard()));
    EXPECT_EQ(runToEnd(outcome), 0);
    EXPECT_EQ(outcome->errorDescription(), QStringLiteral("No app to paste into."));
    EXPECT_EQ(desktop.pasteboard.changeCount(), initialChangeCount);
    expectHandshakeAroundEveryWrite();
}

TEST_F(PasteTest, AnIdentifierThatIsNotRunningFails) {
    auto outcome = startTask(paste(QStringLiteral("Hi"), QStringLiteral("org.example.gone")));
    runToEnd(outcome);
    EXPECT_EQ(errorKind(outcome->error), Kind::pasteTargetUnavailable);
    EXPECT_EQ(desktop.pasteboard.changeCount(), initialChangeCount);
    EXPECT_EQ(capture.finishCount(), 1);
}

TEST_F(PasteTest, AnApplicationThatRefusesActivationFails) {
    editor.refusesActivation = true;
    auto outcome = startTask(paste(QStringLiteral("Hi")));
    runToEnd(outcome);
    EXPECT_EQ(outcome->errorDescription(), QStringLiteral("No app to paste into."));
    EXPECT_EQ(desktop.pasteboard.content(), userContent());
}

TEST_F(PasteTest, ANewerCopyDuringTheRestorePauseIsKept) {
    auto outcome = startTask(paste(QStringLiteral("Hi")));
    desktop.clock.advance(1000);
    desktop.pasteboard.putText(QStringLiteral("copied meanwhile"));
    runToEnd(outcome);
    EXPECT_TRUE(outcome->value);
    EXPECT_EQ(desktop.pasteboard.plainText(), QStringLiteral("copied meanwhile"));
    EXPECT_EQ(capture.finishCount(), 1);
    EXPECT_TRUE(capture.calls.last().finish);
    EXPECT_EQ(history.lastText(), QStringLiteral("copied meanwhile"));
}

TEST_F(PasteTest, ACanonicallyEqualTextStillCountsAsOurs) {
    // The pasted text decomposed by whoever served it: still the same text.
    auto outcome = startTask(paste(QStringLiteral("caf\u00e9")));
    desktop.clock.advance(1000);
    desktop.pasteboard.putText(QStringLiteral("cafe\u0301"));
    runToEnd(outcome);
    EXPECT_EQ(desktop.pasteboard.content(), userContent());
}

TEST_F(PasteTest, APasteThatCannotBeSentLeavesTheResultOnThePasteboard) {
    desktop.keys.trusted = false;
    auto outcome = startTask(paste(QStringLiteral("Hi")));
    EXPECT_EQ(runToEnd(outcome), 360);
    EXPECT_EQ(outcome->errorDescription(), QStringLiteral("Could not send paste shortcut."));
    EXPECT_EQ(errorKind(outcome->error), Kind::pasteEventFailed);
    EXPECT_EQ(desktop.pasteboard.plainText(), QStringLiteral("Hi"));
    EXPECT_EQ(capture.finishCount(), 0);
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
    EXPECT_EQ(outcome->errorDescription(), QStringLiteral("Could not send paste shortcut."));
    EXPECT_EQ(desktop.pasteboard.plainText(), QStringLiteral("Hi"));
}

TEST_F(PasteTest, CancelledAfterTheTextWasWrittenRestoresAndFinishes) {
    CancelToken token;
    auto outcome =
        startTask(paste(QStringLiteral("Hi"), std::nullopt, PasteboardTiming::standard(), token));
    desktop.clock.advance(900);
    token.cancel();
    ASSERT_TRUE(outcome->done);
    EXPECT_TRUE(isCancellation(outcome->error));
    EXPECT_EQ(editor.text, QStringLiteral("Hi world"));
    EXPECT_EQ(desktop.pasteboard.content(), userContent());
    expectHandshakeAroundEveryWrite();
}

TEST_F(PasteTest, CancelledBeforePasteWasSentRestoresWithoutPasting) {
    CancelToken token;
    auto outcome =
        startTask(paste(QStringLiteral("Hi"), std::nullopt, PasteboardTiming::standard(), token));
    desktop.clock.advance(250);
    token.cancel();
    ASSERT_TRUE(outcome->done);
    EXPECT_TRUE(isCancellation(outcome->error));
    EXPECT_EQ(editor.pasteCount, 0);
    EXPECT_EQ(desktop.pasteboard.content(), userContent());
    expectHandshakeAroundEveryWrite();
}

TEST_F(PasteTest, CancelledDuringActivationWritesNothing) {
    CancelToken token;
    auto outcome =
        startTask(paste(QStringLiteral("Hi"), std::nullopt, PasteboardTiming::standard(), token));
    desktop.clock.advance(50);
    token.cancel();
    ASSERT_TRUE(outcome->done);
    EXPECT_TRUE(isCancellation(outcome->error));
    EXPECT_EQ(desktop.pasteboard.changeCount(), initialChangeCount);
    expectHandshakeAroundEveryWrite();
}

TEST_F(PasteTest, ACancelledPasteKeepsANewerCopy) {
    CancelToken token;
    auto outcome =
        startTask(paste(QStringLiteral("Hi"), std::nullopt, PasteboardTiming::standard(), token));
    desktop.clock.advance(900);
    desktop.pasteboard.putText(QStringLiteral("mine"));
    token.cancel();
    EXPECT_EQ(desktop.pasteboard.plainText(), QStringLiteral("mine"));
    EXPECT_EQ(capture.finishCount(), 1);
}
