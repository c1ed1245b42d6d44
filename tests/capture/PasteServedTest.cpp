#include "CaptureFixture.h"

// Where the paste target fetches the pasted text from us after Paste (X11), the user's
// pasteboard comes back no earlier than the restore delay, not before the fetch, and at most
// 1,300 ms after Paste.
class PasteServedTest : public CaptureTest {
protected:
    void SetUp() override {
        CaptureTest::SetUp();
        desktop.pasteboard.setServesLater(true);
    }

    // The target fetches the text `ms` after the key-up of Paste (which the fast preset sends
    // at 0 and releases at 20).
    void fetchAfterPaste(qint64 ms) {
        desktop.clock.callAfter(20 + ms, [this] { desktop.pasteboard.serveText(); });
    }
};

TEST_F(PasteServedTest, TheFastRestoreWaitsForALateFetch) {
    fetchAfterPaste(400);
    auto outcome = startTask(paste(QStringLiteral("Hi"), std::nullopt, PasteboardTiming::fast()));
    desktop.clock.advance(20 + 399);
    // Not restored yet: the target has not fetched the text.
    EXPECT_EQ(desktop.pasteboard.plainText(), QStringLiteral("Hi"));
    const qint64 total = runToEnd(outcome);
    EXPECT_GE(total, 20 + 400);
    EXPECT_LE(total, 20 + 405);
    ASSERT_TRUE(outcome->value) << outcome->errorDescription().toStdString();
    EXPECT_EQ(desktop.pasteboard.content(), userContent);
}

TEST_F(PasteServedTest, AFetchBeforeTheDelayKeepsTheDelay) {
    fetchAfterPaste(10);
    auto outcome = startTask(paste(QStringLiteral("Hi"), std::nullopt, PasteboardTiming::fast()));
    EXPECT_EQ(runToEnd(outcome), 20 + 60);
    EXPECT_EQ(desktop.pasteboard.content(), userContent);
}

TEST_F(PasteServedTest, WithoutAFetchTheRestoreComes1300MsAfterPaste) {
    auto outcome = startTask(paste(QStringLiteral("Hi"), std::nullopt, PasteboardTiming::fast()));
    EXPECT_EQ(runToEnd(outcome), 20 + 1300);
    ASSERT_TRUE(outcome->value);
    EXPECT_EQ(desktop.pasteboard.content(), userContent);
}

TEST_F(PasteServedTest, TheStandardRestoreIsNotLengthened) {
    auto outcome = startTask(paste(QStringLiteral("Hi")));
    EXPECT_EQ(runToEnd(outcome), 180 + 180 + 20 + 1300);
    EXPECT_EQ(desktop.pasteboard.content(), userContent);
}

TEST_F(PasteServedTest, ACancelWhileWaitingForTheFetchStillRestores) {
    auto outcome = startTask(paste(QStringLiteral("Hi"), std::nullopt, PasteboardTiming::fast()));
    cancelAt(20 + 200, outcome);
    expectUserPasteboardBack();
}
