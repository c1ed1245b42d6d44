#include "CaptureFixture.h"

using Kind = PasteboardServiceErrorKind;

class SelectionReadTest : public CaptureTest {};

TEST_F(SelectionReadTest, ReturnsTheSelectionAfterOneCopyAndGivesThePasteboardBack) {
    auto outcome = startTask(read());
    EXPECT_EQ(runToEnd(outcome), 180 + 20 + 180);
    ASSERT_TRUE(outcome->value) << outcome->errorDescription().toStdString();
    EXPECT_EQ(*outcome->value, QStringLiteral("Hello"));
    EXPECT_EQ(desktop.frontmost(), &editor);
    EXPECT_EQ(desktop.keys.downTimes(KeyCode::C), QList<qint64>({180}));
    EXPECT_EQ(desktop.pasteboard.content(), userContent());
    expectHandshakeAroundEveryWrite();
    // The restored content counts as seen, so the history will not record it.
    EXPECT_EQ(history.lastChangeCount(), desktop.pasteboard.changeCount());
    EXPECT_EQ(history.lastText(), QStringLiteral("user text"));
}

TEST_F(SelectionReadTest, SendsControlCToTheRememberedApplication) {
    auto outcome = startTask(read());
    runToEnd(outcome);
    ASSERT_EQ(desktop.keys.log.size(), 2);
    for (const auto& record : desktop.keys.log) {
        EXPECT_EQ(record.keyCode, KeyCode::C);
        EXPECT_EQ(record.modifiers, KeyModifiers(KeyModifier::Control));
        EXPECT_EQ(record.targetPid, editor.pid);
    }
    EXPECT_TRUE(desktop.keys.log[0].down);
    EXPECT_FALSE(desktop.keys.log[1].down);
    EXPECT_EQ(desktop.keys.log[1].atMs - desktop.keys.log[0].atMs, 20);
}

TEST_F(SelectionReadTest, NothingSelectedTriesThreeTimesAndEndsAfter1140Ms) {
    editor.setText(QStringLiteral("Hello world"), 3, 0);
    auto outcome = startTask(read(false, false));
    EXPECT_EQ(runToEnd(outcome), 1140);
    EXPECT_EQ(desktop.keys.downTimes(KeyCode::C), QList<qint64>({180, 380, 700}));
    EXPECT_EQ(outcome->errorDescription(), QStringLiteral("No selected text."));
    EXPECT_EQ(errorKind(outcome->error), Kind::emptySelection);
    EXPECT_EQ(desktop.pasteboard.content(), userContent());
    expectHandshakeAroundEveryWrite();
}

TEST_F(SelectionReadTest, NoSelectionRestoresThePasteboardOnlyOnce) {
    editor.setText(QStringLiteral("Hello world"), 3, 0);
    auto outcome = startTask(read(false, true));
    runToEnd(outcome);
    EXPECT_EQ(outcome->errorDescription(), QStringLiteral("No selected text."));
    EXPECT_EQ(desktop.pasteboard.writeCount(), 1);
    // Three clears before the copies, one for the restore.
    EXPECT_EQ(desktop.pasteboard.clearCount(), 4);
    EXPECT_EQ(desktop.pasteboard.content(), userContent());
    expectHandshakeAroundEveryWrite();
}

TEST_F(SelectionReadTest, FastTimingPollsUpTo120MsPerAttempt) {
    editor.setText(QStringLiteral("Hello world"), 3, 0);
    desktop.keys.holdModifiers(KeyModifier::Shift, 100000);
    auto outcome = startTask(read(false, false, PasteboardTiming::fast()));
    EXPECT_EQ(runToEnd(outcome), 3 * (20 + 120));
    // No activation pause, no wait for the held modifier.
    EXPECT_EQ(desktop.keys.downTimes(KeyCode::C), QList<qint64>({0, 140, 280}));
    EXPECT_EQ(outcome->errorDescription(), QStringLiteral("No selected text."));
    EXPECT_EQ(desktop.pasteboard.content(), userContent());
}

TEST_F(SelectionReadTest, FastTimingReturnsAsSoonAsALateCopyLands) {
    editor.copyWriteDelayMs = 50;
    auto outcome = startTask(read(false, false, PasteboardTiming::fast()));
    EXPECT_EQ(runToEnd(outcome), 50);
    ASSERT_TRUE(outcome->value);
    EXPECT_EQ(*outcome->value, QStringLiteral("Hello"));
    EXPECT_EQ(desktop.pasteboard.content(), userContent());
}

TEST_F(SelectionReadTest, AnApplicationThatCopiesOnTheSecondAttemptGivesItsOwnText) {
    editor.copyFromAttempt = 2;
    auto outcome = startTask(read());
    EXPECT_EQ(runToEnd(outcome), 380 + 20 + 300);
    ASSERT_TRUE(outcome->value);
    // The pasteboard was cleared before each Copy: never the user's old content.
    EXPECT_EQ(*outcome->value, QStringLiteral("Hello"));
    EXPECT_EQ(editor.copyCount, 2);
}

TEST_F(SelectionReadTest, ALateWriteWithinTheWaitIsRead) {
    editor.copyWriteDelayMs = 150;
    auto outcome = startTask(read());
    EXPECT_EQ(runToEnd(outcome), 380);
    ASSERT_TRUE(outcome->value);
    EXPECT_EQ(*outcome->value, QStringLiteral("Hello"));
}

TEST_F(SelectionReadTest, SelectAllComesFirstWhenAsked) {
    editor.setText(QStringLiteral("Hello world"), 0, 0);
    auto outcome = startTask(read(true));
    EXPECT_EQ(runToEnd(outcome), 180 + 20 + 120 + 20 + 180);
    ASSERT_TRUE(outcome->value);
    EXPECT_EQ(*outcome->value, QStringLiteral("Hello world"));
    EXPECT_EQ(desktop.keys.downTimes(KeyCode::A), QList<qint64>({180}));
    EXPECT_EQ(desktop.keys.downTimes(KeyCode::C), QList<qint64>({320}));
}

TEST_F(SelectionReadTest, WaitsForTheUserToLetGoOfTheModifiers) {
    desktop.keys.holdModifiers(KeyModifier::Command | KeyModifier::Shift, 300);
    auto outcome = startTask(read());
    runToEnd(outcome);
    // Checked at 180, then every 35 ms: released by 320.
    EXPECT_EQ(desktop.keys.downTimes(KeyCode::C), QList<qint64>({320}));
}

TEST_F(SelectionReadTest, ModifiersThatStayDownDelayTheCopyBy16Pauses) {
    desktop.keys.holdModifiers(KeyModifier::Control, 1000000);
    auto outcome = startTask(read());
    runToEnd(outcome);
    EXPECT_EQ(desktop.keys.downTimes(KeyCode::C), QList<qint64>({180 + 16 * 35}));
    ASSERT_TRUE(outcome->value);
}

TEST_F(SelectionReadTest, SurroundingSpacesAreKept) {
    editor.setText(QStringLiteral("a  Hello \nb"), 1, 9);
    auto outcome = startTask(read());
    runToEnd(outcome);
    ASSERT_TRUE(outcome->value);
    EXPECT_EQ(*outcome->value, QStringLiteral("  Hello \n"));
}

TEST_F(SelectionReadTest, ASelectionOfOnlySpacesCountsAsNothing) {
    editor.setText(QStringLiteral(" \n "), 0, 3);
    // The fallback finds only blanks as well.
    editor.field->failing.insert(QStringLiteral("AXSelectedText"));
    auto outcome = startTask(read(false, true));
    EXPECT_EQ(runToEnd(outcome), 1140);
    EXPECT_EQ(editor.copyCount, 3);
    EXPECT_EQ(outcome->errorDescription(), QStringLiteral("No selected text."));
}

TEST_F(SelectionReadTest, FallsBackToTheFocusedValueWhenTheSelectionCannotBeRead) {
    editor.setText(QStringLiteral("Whole field"), 0, 0);
    editor.field->failing.insert(QStringLiteral("AXSelectedText"));
    auto outcome = startTask(read(false, true));
    EXPECT_EQ(runToEnd(outcome), 1140);
    ASSERT_TRUE(outcome->value);
    EXPECT_EQ(*outcome->value, QStringLiteral("Whole field"));
    EXPECT_EQ(desktop.pasteboard.content(), userContent());
}

TEST_F(SelectionReadTest, AnEmptyReadableSelectionDoesNotFallBackToTheValue) {
    editor.setText(QStringLiteral("Whole field"), 0, 0);
    auto outcome = startTask(read(false, true));
    runToEnd(outcome);
    EXPECT_EQ(outcome->errorDescription(), QStringLiteral("No selected text."));
}

TEST_F(SelectionReadTest, WithoutPermissionToSendKeysNothingIsPosted) {
    desktop.keys.trusted = false;
    auto outcome = startTask(read(true));
    runToEnd(outcome);
    EXPECT_EQ(outcome->errorDescription(), QStringLiteral("Could not send copy shortcut."));
    EXPECT_EQ(errorKind(outcome->error), Kind::copyEventFailed);
    EXPECT_TRUE(desktop.keys.log.isEmpty());
    EXPECT_EQ(desktop.pasteboard.content(), userContent());
    expectHandshakeAroundEveryWrite();
}

TEST_F(SelectionReadTest, ACopyThatCannotBeSentFailsAndRestores) {
    desktop.keys.failsToPost = true;
    auto outcome = startTask(read());
    EXPECT_EQ(runToEnd(outcome), 180);
    EXPECT_EQ(outcome->errorDescription(), QStringLiteral("Could not send copy shortcut."));
    EXPECT_EQ(desktop.pasteboard.content(), userContent());
    expectHandshakeAroundEveryWrite();
}

TEST_F(SelectionReadTest, CancelledDuringTheCopyWaitRestoresAndRaisesTheCancellation) {
    editor.setText(QStringLiteral("Hello world"), 3, 0);
    CancelToken token;
    auto outcome = startTask(read(false, true, PasteboardTiming::standard(), token));
    desktop.clock.advance(450);
    EXPECT_FALSE(outcome->done);
    token.cancel();
    EXPECT_TRUE(outcome->done);
    EXPECT_EQ(desktop.clock.nowMs(), 450);
    EXPECT_EQ(outcome->errorDescription(), CancelledError().description());
    EXPECT_EQ(desktop.pasteboard.content(), userContent());
    expectHandshakeAroundEveryWrite();
}

TEST_F(SelectionReadTest, CancelledDuringTheActivationPauseRestores) {
    CancelToken token;
    auto outcome = startTask(read(false, true, PasteboardTiming::standard(), token));
    desktop.clock.advance(100);
    token.cancel();
    ASSERT_TRUE(outcome->done);
    EXPECT_TRUE(isCancellation(outcome->error));
    EXPECT_TRUE(desktop.keys.log.isEmpty());
    EXPECT_EQ(desktop.pasteboard.content(), userContent());
    expectHandshakeAroundEveryWrite();
}

TEST_F(SelectionReadTest, TheSuppressionIsRenewedBeforeEachCopyAttempt) {
    // Modifiers that stay down make the read last longer than one suppression.
    desktop.keys.holdModifiers(KeyModifier::Alt, 1000000);
    editor.setText(QStringLiteral("Hello world"), 0, 0);
    editor.copyFromAttempt = 3;
    auto outcome = startTask(read(true));
    // Select All at 740, Copies at 1440, 2200 and 3080; the last wait ends at 3520, after the
    // first suppression (3500) would have run out.
    desktop.clock.advance(3510);
    EXPECT_EQ(desktop.keys.downTimes(KeyCode::A), QList<qint64>({740}));
    EXPECT_EQ(desktop.keys.downTimes(KeyCode::C), QList<qint64>({1440, 2200, 3080}));
    EXPECT_FALSE(outcome->done);
    EXPECT_TRUE(history.isCaptureSuppressed());
    EXPECT_EQ(runToEnd(outcome), 3520);
    ASSERT_TRUE(outcome->value);
    EXPECT_EQ(*outcome->value, QStringLiteral("Hello world"));
    int suppressions = 0;
    for (const auto& call : capture.calls) {
        suppressions += call.finish ? 0 : 1;
    }
    EXPECT_EQ(suppressions, 4);
    expectHandshakeAroundEveryWrite();
}

TEST_F(SelectionReadTest, WithNothingRememberedTheFrontmostApplicationIsAsked) {
    FocusService fresh(desktop.workspace, desktop.accessibility);
    PasteboardService other({desktop.clock, desktop.pasteboard, desktop.keys, desktop.workspace,
                             desktop.accessibility, fresh, capture});
    desktop.bringToFront(editor.pid);
    auto outcome =
        startTask(other.readSelectedTextTransient(false, false, PasteboardTiming::standard()));
    runToEnd(outcome);
    ASSERT_TRUE(outcome->value);
    EXPECT_EQ(*outcome->value, QStringLiteral("Hello"));
}

TEST_F(SelectionReadTest, AnEmptyUserPasteboardIsLeftEmpty) {
    desktop.pasteboard.putItems({});
    initialChangeCount = desktop.pasteboard.changeCount();
    auto outcome = startTask(read());
    runToEnd(outcome);
    ASSERT_TRUE(outcome->value);
    EXPECT_EQ(*outcome->value, QStringLiteral("Hello"));
    EXPECT_EQ(desktop.pasteboard.itemCount(), 0);
    expectHandshakeAroundEveryWrite();
}
