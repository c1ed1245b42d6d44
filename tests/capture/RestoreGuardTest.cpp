#include "CaptureFixture.h"

// Applications that answer Copy late: after the read gave the user's pasteboard back, their
// copies land on it and are undone.
class RestoreGuardTest : public CaptureTest {
protected:
    std::shared_ptr<TaskOutcome<QString>> startRead(bool fast) {
        return startTask(
            read(false, false, fast ? PasteboardTiming::fast() : PasteboardTiming::standard()));
    }
    // Runs the clock until that virtual time.
    void runUntil(qint64 ms) { desktop.clock.advance(ms - desktop.clock.nowMs()); }
};

TEST_F(RestoreGuardTest, LateCopiesAreUndoneAndNeverRecorded) {
    struct Case {
        qint64 copyDelayMs;
        bool fast;
        qint64 readEndMs;
        bool readGivesText;
        int lateCopies;
    };
    // Standard: Copy at 180, 380, 700, read over at 380, 700 or 1140. Fast: Copy at 0, 140,
    // 280, each polled for 120 ms after its key-up.
    const Case cases[] = {
        {150, false, 380, true, 0}, {400, false, 700, true, 1}, {1500, false, 1140, false, 3},
        {150, true, 160, true, 1},  {400, true, 400, true, 2},  {1500, true, 420, false, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.copyDelayMs << " ms, fast " << c.fast);
        desktop.clock.advance(5000);
        editor.copyCount = 0;
        editor.copyWriteDelayMs = c.copyDelayMs;
        putUserContent(desktop.pasteboard);
        capture.calls.clear();
        const qint64 start = desktop.clock.nowMs();

        auto outcome = startRead(c.fast);
        while (!outcome->done && desktop.clock.runNext()) {
        }
        EXPECT_EQ(desktop.clock.nowMs() - start, c.readEndMs);
        EXPECT_EQ(outcome->value.has_value(), c.readGivesText);
        EXPECT_EQ(desktop.pasteboard.content(), userContent);
        EXPECT_TRUE(history.isCaptureSuppressed());

        // Every copy has landed by 2.2 s; the watch ends 2 s after the read.
        runUntil(start + c.readEndMs + ClipboardRestoreGuard::kGuardMs - 1);
        EXPECT_EQ(desktop.pasteboard.content(), userContent);
        EXPECT_EQ(service.restoreGuard().undoneCount(), c.lateCopies);
        EXPECT_EQ(capture.count(true), 1 + c.lateCopies);
        EXPECT_TRUE(history.isCaptureSuppressed());
        EXPECT_EQ(history.lastText(), QStringLiteral("user text"));
        runUntil(start + c.readEndMs + ClipboardRestoreGuard::kGuardMs);
        EXPECT_FALSE(history.isCaptureSuppressed());
        EXPECT_TRUE(capture.resumed.isEmpty());
    }
}

TEST_F(RestoreGuardTest, TheUsersOwnCopyEndsTheWatch) {
    struct Case {
        const char* who;
        QString text;
    };
    auto& other = desktop.launch(QStringLiteral("org.example.other"));
    // Another application, or the target with a text other than the selection.
    const Case cases[] = {{"other app", QStringLiteral("mine")},
                          {"target", QStringLiteral("Hello world, all of it")}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.who);
        desktop.clock.advance(5000);
        putUserContent(desktop.pasteboard);
        editor.copyCount = 0;
        editor.copyWriteDelayMs = 400;
        capture.resumed.clear();
        const qint64 start = desktop.clock.nowMs();
        auto outcome = startRead(false);
        // The late copy of 780 ms is undone; the user copies at 900 ms.
        runUntil(start + 900);
        EXPECT_EQ(service.restoreGuard().undoneCount(), 1);
        const qint64 seen = desktop.pasteboard.changeCount();
        const qint64 owner = std::string(c.who) == "target" ? editor.pid : other.pid;
        desktop.pasteboard.putText(c.text, owner);
        runUntil(start + 3000);
        EXPECT_EQ(desktop.pasteboard.plainText(), c.text);
        EXPECT_FALSE(service.restoreGuard().isRunning());
        // Capture resumes at once, and the user's copy is not taken as already seen.
        EXPECT_EQ(capture.resumed, QList<qint64>{seen});
        EXPECT_FALSE(history.isCaptureSuppressed());
    }
}

// A late copy whose owner ignores the first looks at its text is judged once it answers.
TEST_F(RestoreGuardTest, ALateCopyThatCannotBeReadYetIsJudgedWhenItCan) {
    editor.copyWriteDelayMs = 400;
    auto outcome = startRead(false);
    // The read ends at 700; the late copy lands at 780.
    runUntil(750);
    ASSERT_EQ(outcome->value, QStringLiteral("Hello"));
    desktop.pasteboard.leaveTextReadsUnanswered(3);
    runUntil(1000);
    EXPECT_EQ(desktop.pasteboard.content(), userContent);
    EXPECT_EQ(service.restoreGuard().undoneCount(), 1);
    EXPECT_TRUE(capture.resumed.isEmpty());
}

TEST_F(RestoreGuardTest, AnExitDuringAReadGivesThePasteboardBack) {
    editor.copyWriteDelayMs = 1500;
    auto outcome = startRead(false);
    runUntil(600);
    EXPECT_NE(desktop.pasteboard.content(), userContent);
    service.returnBorrowedPasteboard();
    EXPECT_EQ(desktop.pasteboard.content(), userContent);
    EXPECT_FALSE(history.isCaptureSuppressed());
}

// A paste that starts right after a late copy landed, before the watch looked again, still
// saves and gives back the user's content, not the late copy.
TEST_F(RestoreGuardTest, APasteRightAfterALateCopySavesTheUsersContent) {
    editor.copyWriteDelayMs = 405;
    auto outcome = startRead(false);
    // The read ends at 700 with the first Copy's text; the second lands at 785.
    runUntil(787);
    ASSERT_EQ(outcome->value, QStringLiteral("Hello"));
    ASSERT_EQ(desktop.pasteboard.plainText(), QStringLiteral("Hello"));
    auto pasted = startTask(paste(QStringLiteral("HELLO")));
    runToEnd(pasted);
    ASSERT_TRUE(pasted->value) << pasted->errorDescription().toStdString();
    EXPECT_EQ(editor.pastedTexts, QStringList{QStringLiteral("HELLO")});
    EXPECT_EQ(desktop.pasteboard.content(), userContent);
}
