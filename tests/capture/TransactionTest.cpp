#include "CaptureFixture.h"

// Two actions that overlap never interleave their save and restore of the user's pasteboard.
class TransactionTest : public CaptureTest {};

TEST_F(TransactionTest, APasteStartedDuringAReadWaitsForIt) {
    auto reading = startTask(read());
    desktop.clock.advance(100);
    auto pasting = startTask(paste(QStringLiteral("Hi")));
    EXPECT_EQ(desktop.pasteboard.changeCount(), initialChangeCount);

    EXPECT_EQ(runToEnd(reading), 380);
    EXPECT_EQ(reading->value, QStringLiteral("Hello"));
    // The read's restore is done before the paste writes anything.
    EXPECT_EQ(desktop.pasteboard.content(), userContent);

    EXPECT_EQ(runToEnd(pasting), 380 + 180 + 180 + 20 + 1300);
    EXPECT_TRUE(pasting->value);
    EXPECT_EQ(desktop.keys.downTimes(KeyCode::V), QList<qint64>({380 + 180 + 180}));
    EXPECT_EQ(editor.text, QStringLiteral("Hi world"));
    EXPECT_EQ(desktop.pasteboard.content(), userContent);
    EXPECT_EQ(capture.count(true), 2);
    EXPECT_FALSE(history.isCaptureSuppressed());
}

TEST_F(TransactionTest, AReadStartedDuringAPasteSeesTheUsersPasteboardAfterwards) {
    auto pasting = startTask(paste(QStringLiteral("Hi")));
    desktop.clock.advance(500);
    auto reading = startTask(read(true));
    runToEnd(pasting);
    EXPECT_FALSE(reading->done);
    EXPECT_EQ(desktop.pasteboard.content(), userContent);
    runToEnd(reading);
    EXPECT_EQ(reading->value, QStringLiteral("Hi world"));
    EXPECT_EQ(desktop.pasteboard.content(), userContent);
}

TEST_F(TransactionTest, WaitingTransactionsRunInTheOrderTheyWereAsked) {
    auto first = startTask(paste(QStringLiteral("1")));
    auto second = startTask(paste(QStringLiteral("2")));
    auto third = startTask(paste(QStringLiteral("3")));
    runToEnd(third);
    EXPECT_TRUE(first->done && second->done && third->done);
    EXPECT_EQ(editor.pastedTexts, QStringList({"1", "2", "3"}));
    EXPECT_EQ(desktop.pasteboard.content(), userContent);
}

TEST_F(TransactionTest, AFailedTransactionLetsTheNextOneRun) {
    desktop.keys.failsToPost = true;
    auto failing = startTask(read());
    auto next = startTask(paste(QStringLiteral("Hi")));
    runToEnd(failing);
    EXPECT_EQ(failing->errorDescription(), QStringLiteral("Could not send copy shortcut."));
    desktop.keys.failsToPost = false;
    runToEnd(next);
    EXPECT_TRUE(next->value);
    EXPECT_EQ(editor.text, QStringLiteral("Hi world"));
}
