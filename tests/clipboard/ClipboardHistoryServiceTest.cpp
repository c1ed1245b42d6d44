#include <gtest/gtest.h>

#include "clipboard/ClipboardHistoryService.h"
#include "platform/MemoryDefaults.h"
#include "support/QtPrinters.h"
#include "support/SimulatedPasteboard.h"
#include "support/VirtualClock.h"

namespace {
const QString kKey = QStringLiteral("nivelo.clipboardItems.native");

ClipboardHistoryItem item(const QString& text, qint64 secondsSince1970) {
    return ClipboardHistoryItem{QStringLiteral("%1-42").arg(secondsSince1970), text,
                                QDateTime::fromSecsSinceEpoch(secondsSince1970, Qt::UTC),
                                text.size()};
}
}  // namespace

class ClipboardHistoryServiceTest : public ::testing::Test {
protected:
    VirtualClock clock;
    SimulatedPasteboard pasteboard;
    MemoryDefaults store;

    std::unique_ptr<ClipboardHistoryService> make() {
        return std::make_unique<ClipboardHistoryService>(pasteboard, clock, store);
    }
};

TEST_F(ClipboardHistoryServiceTest, TakesThePasteboardAtStartAsAlreadySeen) {
    pasteboard.putText(QStringLiteral("  copied before start \n"));
    auto history = make();
    EXPECT_EQ(history->lastChangeCount(), pasteboard.changeCount());
    EXPECT_EQ(history->lastText(), QStringLiteral("copied before start"));
    EXPECT_FALSE(history->isCaptureSuppressed());
}

TEST_F(ClipboardHistoryServiceTest, SavesCompactJsonDataAndLoadsItBack) {
    auto history = make();
    history->setItems({item(QStringLiteral("Привет, мир"), 978307200 + 10),
                       item(QStringLiteral("second"), 978307200)});
    history->save();
    const auto data = store.dataValue(kKey);
    ASSERT_TRUE(data);
    EXPECT_EQ(
        QString::fromUtf8(*data),
        QStringLiteral("[{\"id\":\"978307210-42\",\"text\":\"Привет, мир\",\"createdAt\":10.0,"
                       "\"chars\":11},{\"id\":\"978307200-42\",\"text\":\"second\","
                       "\"createdAt\":0.0,\"chars\":6}]"));
    EXPECT_EQ(make()->items(), history->items());
}

// Any valid encoding, with fractions of a second.
TEST_F(ClipboardHistoryServiceTest, AcceptsAnyValidEncoding) {
    store.setData(
        kKey, QByteArray(R"([ {"chars": 3, "createdAt": 12.345, "text": "a\/b", "id": "x"} ])"));
    const auto items = make()->items();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].text, QStringLiteral("a/b"));
    EXPECT_EQ(items[0].createdAt.toMSecsSinceEpoch(), 978307200000LL + 12345);
}

TEST_F(ClipboardHistoryServiceTest, OneBadElementLoadsAsAnEmptyHistory) {
    store.setData(kKey, QByteArray(R"([{"id":"a","text":"ab","createdAt":1,"chars":2},)"
                                   R"({"id":"b","text":"cd","createdAt":1}])"));
    EXPECT_TRUE(make()->items().isEmpty());
    store.setData(kKey, QByteArray("not json"));
    EXPECT_TRUE(make()->items().isEmpty());
    store.setString(kKey, QStringLiteral(R"([{"id":"a","text":"ab","createdAt":1,"chars":2}])"));
    EXPECT_TRUE(make()->items().isEmpty());
    // The bad value stays until the next save.
    EXPECT_TRUE(store.hasObject(kKey));
}

TEST_F(ClipboardHistoryServiceTest, EmptyingAndSavingClearsTheStoredHistory) {
    store.setData(kKey, QByteArray(R"([{"id":"a","text":"ab","createdAt":1,"chars":2}])"));
    auto history = make();
    ASSERT_EQ(history->items().size(), 1);
    int announced = 0;
    QObject::connect(history.get(), &ClipboardHistoryService::itemsChanged,
                     [&](const QList<ClipboardHistoryItem>& items) {
                         ++announced;
                         EXPECT_TRUE(items.isEmpty());
                     });
    history->setItems({});
    EXPECT_EQ(announced, 1);
    history->save();
    EXPECT_EQ(store.dataValue(kKey), QByteArray("[]"));
    EXPECT_TRUE(make()->items().isEmpty());
}

TEST_F(ClipboardHistoryServiceTest, AShorterSuppressionNeverShortensALongerOne) {
    auto history = make();
    history->suppressCapture(10);
    clock.advance(1000);
    history->suppressCapture(1.2);
    clock.advance(8999);
    EXPECT_TRUE(history->isCaptureSuppressed());
    clock.advance(1);
    EXPECT_FALSE(history->isCaptureSuppressed());
}

TEST_F(ClipboardHistoryServiceTest, FinishEndsTheSuppressionAndTakesThePasteboardAsSeen) {
    auto history = make();
    history->suppressCapture(3.5);
    pasteboard.putText(QStringLiteral("\n restored text "));
    history->finishTransientPasteboardUse();
    EXPECT_FALSE(history->isCaptureSuppressed());
    EXPECT_EQ(history->lastChangeCount(), pasteboard.changeCount());
    EXPECT_EQ(history->lastText(), QStringLiteral("restored text"));
}

TEST_F(ClipboardHistoryServiceTest, FinishWithoutTextKeepsTheLastText) {
    pasteboard.putText(QStringLiteral("earlier"));
    auto history = make();
    pasteboard.putItems({{{QStringLiteral("image/png"), QByteArray("png")}}});
    history->finishTransientPasteboardUse();
    EXPECT_EQ(history->lastChangeCount(), pasteboard.changeCount());
    EXPECT_EQ(history->lastText(), QStringLiteral("earlier"));
}
