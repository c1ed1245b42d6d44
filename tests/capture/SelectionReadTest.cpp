#include "CaptureFixture.h"

enum ReadOption { SelectAll = 1, NoFallback = 2, Fast = 4, CancelAtEnd = 8 };
const char* const kNoSelection = "No selected text.";
const char* const kNoCopy = "Could not send copy shortcut.";

class SelectionReadTest : public CaptureTest {
protected:
    // Runs a read to its end (or cancels it then) and checks when it ended and when Select All
    // and each Copy went out: each to the remembered editor, key-up 20 ms after key-down. The
    // user's pasteboard is back, cleared before each Copy and written back exactly once.
    std::shared_ptr<TaskOutcome<QString>> readOnClock(int options, qint64 endMs,
                                                      QList<qint64> selectAllDowns,
                                                      QList<qint64> copyDowns) {
        auto outcome = startTask(
            read(options & SelectAll, !(options & NoFallback),
                 options & Fast ? PasteboardTiming::fast() : PasteboardTiming::standard()));
        if (options & CancelAtEnd) {
            cancelAt(endMs, outcome);
        }
        EXPECT_EQ(runToEnd(outcome), endMs);
        EXPECT_EQ(desktop.keys.downTimes(KeyCode::A), selectAllDowns);
        EXPECT_EQ(desktop.keys.downTimes(KeyCode::C), copyDowns);
        const auto& log = desktop.keys.log;
        EXPECT_EQ(log.size(), 2 * (selectAllDowns.size() + copyDowns.size()));
        for (int i = 0; i < log.size(); ++i) {
            EXPECT_EQ(log[i].modifiers, KeyModifiers(KeyModifier::Control));
            EXPECT_EQ(log[i].targetPid, editor.pid);
            EXPECT_EQ(log[i].down, i % 2 == 0);
            EXPECT_EQ(log[i].atMs - log[i - i % 2].atMs, i % 2 ? 20 : 0);
        }
        EXPECT_EQ(desktop.frontmost(), &editor);
        EXPECT_EQ(desktop.pasteboard.clearCount(),
                  copyDowns.size() + (desktop.keys.failsToPost ? 2 : 1));
        EXPECT_EQ(desktop.pasteboard.writeCount(), 1);
        expectUserPasteboardBack();
        // The restored content counts as seen, so the history will not record it.
        EXPECT_EQ(history.lastText(), QStringLiteral("user text"));
        return outcome;
    }
    void selectNothing(const QString& text = QStringLiteral("Hello world")) {
        editor.setText(text, 3, 0);
    }
};

// Surrounding spaces are kept.
TEST_F(SelectionReadTest, ReturnsTheSelectionAfterOneCopy) {
    editor.setText(QStringLiteral("a  Hello \nb"), 1, 9);
    EXPECT_EQ(readOnClock(0, 180 + 20 + 180, {}, {180})->value, QStringLiteral("  Hello \n"));
}

TEST_F(SelectionReadTest, FastTimingPollsUpTo120MsPerAttempt) {
    selectNothing();
    desktop.keys.holdModifiers(KeyModifier::Shift, 100000);
    // No activation pause, no wait for the held modifier.
    expectError(*readOnClock(NoFallback | Fast, 3 * (20 + 120), {}, {0, 140, 280}),
                Kind::emptySelection, kNoSelection);
}

TEST_F(SelectionReadTest, FastTimingReturnsAsSoonAsALateCopyLands) {
    editor.copyWriteDelayMs = 50;
    EXPECT_EQ(readOnClock(NoFallback | Fast, 50, {}, {0})->value, QStringLiteral("Hello"));
}

TEST_F(SelectionReadTest, AnApplicationThatCopiesOnTheSecondAttemptGivesItsOwnText) {
    editor.copyFromAttempt = 2;
    // The pasteboard was cleared before each Copy: never the user's old content.
    EXPECT_EQ(readOnClock(0, 380 + 20 + 300, {}, {180, 380})->value, QStringLiteral("Hello"));
}

TEST_F(SelectionReadTest, ALateWriteWithinTheWaitIsRead) {
    editor.copyWriteDelayMs = 150;
    EXPECT_EQ(readOnClock(0, 380, {}, {180})->value, QStringLiteral("Hello"));
}

TEST_F(SelectionReadTest, SelectAllComesFirstWhenAsked) {
    selectNothing();
    EXPECT_EQ(readOnClock(SelectAll, 180 + 20 + 120 + 20 + 180, {180}, {320})->value,
              QStringLiteral("Hello world"));
}

TEST_F(SelectionReadTest, WaitsForTheUserToLetGoOfTheModifiers) {
    desktop.keys.holdModifiers(KeyModifier::Command | KeyModifier::Shift, 300);
    // Checked at 180, then every 35 ms: released by 320.
    EXPECT_EQ(readOnClock(0, 320 + 200, {}, {320})->value, QStringLiteral("Hello"));
}

TEST_F(SelectionReadTest, ASelectionOfOnlySpacesCountsAsNothing) {
    editor.setText(QStringLiteral(" \n "), 0, 3);
    // The fallback finds only blanks as well.
    editor.field->failing.insert(QStringLiteral("AXSelectedText"));
    expectError(*readOnClock(0, 1140, {}, {180, 380, 700}), Kind::emptySelection, kNoSelection);
}

// The selection can be read and is empty: no fallback to the field's value.
TEST_F(SelectionReadTest, NothingSelectedTriesThreeTimesAndEndsAfter1140Ms) {
    selectNothing(QStringLiteral("Whole field"));
    expectError(*readOnClock(0, 1140, {}, {180, 380, 700}), Kind::emptySelection, kNoSelection);
}

TEST_F(SelectionReadTest, FallsBackToTheFocusedValueWhenTheSelectionCannotBeRead) {
    selectNothing(QStringLiteral("Whole field"));
    editor.field->failing.insert(QStringLiteral("AXSelectedText"));
    EXPECT_EQ(readOnClock(0, 1140, {}, {180, 380, 700})->value, QStringLiteral("Whole field"));
}

TEST_F(SelectionReadTest, WithoutPermissionToSendKeysNothingIsPosted) {
    desktop.keys.trusted = false;
    expectError(*readOnClock(SelectAll, 180, {}, {}), Kind::copyEventFailed, kNoCopy);
}

TEST_F(SelectionReadTest, ACopyThatCannotBeSentFailsAndRestores) {
    desktop.keys.failsToPost = true;
    expectError(*readOnClock(0, 180, {}, {}), Kind::copyEventFailed, kNoCopy);
}

TEST_F(SelectionReadTest, CancelledDuringTheCopyWaitRestores) {
    selectNothing();
    readOnClock(CancelAtEnd, 450, {}, {180, 380});
}

TEST_F(SelectionReadTest, CancelledDuringTheActivationPauseRestores) {
    readOnClock(CancelAtEnd, 100, {}, {});
}

TEST_F(SelectionReadTest, TheSuppressionIsRenewedBeforeEachCopyAttempt) {
    // Modifiers that stay down (16 pauses of 35 ms before each shortcut) make the read last
    // longer than one suppression.
    desktop.keys.holdModifiers(KeyModifier::Alt, 1000000);
    selectNothing();
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
    EXPECT_EQ(outcome->value, QStringLiteral("Hello world"));
    // Four for the read, one for the watch for late copies that follows it.
    EXPECT_EQ(capture.count(false), 5);
    expectHandshakeAroundEveryWrite();
}

TEST_F(SelectionReadTest, WithNothingRememberedTheFrontmostApplicationIsAsked) {
    FocusService fresh(desktop.workspace, desktop.accessibility);
    PasteboardService other({desktop.clock, desktop.pasteboard, desktop.keys, desktop.workspace,
                             desktop.accessibility, fresh, capture});
    desktop.bringToFront(editor.pid);
    auto outcome = startTask(other.readSelectedTextTransient(false, false, {}));
    runToEnd(outcome);
    EXPECT_EQ(outcome->value, QStringLiteral("Hello"));
}

TEST_F(SelectionReadTest, AnEmptyUserPasteboardIsLeftEmpty) {
    desktop.pasteboard.putItems({});
    initialChangeCount = desktop.pasteboard.changeCount();
    auto outcome = startTask(read());
    runToEnd(outcome);
    EXPECT_EQ(outcome->value, QStringLiteral("Hello"));
    EXPECT_EQ(desktop.pasteboard.itemCount(), 0);
    EXPECT_EQ(desktop.pasteboard.writeCount(), 0);
    expectHandshakeAroundEveryWrite();
}
