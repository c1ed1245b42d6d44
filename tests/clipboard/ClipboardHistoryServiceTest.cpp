#include <gtest/gtest.h>

#include "clipboard/ClipboardHistoryService.h"
#include "platform/MemoryDefaults.h"
#include "support/QtPrinters.h"
#include "support/SimulatedPasteboard.h"
#include "support/VirtualClock.h"

class ClipboardHistoryServiceTest : public ::testing::Test {
protected:
    const QString kKey = QStringLiteral("nivelo.clipboardItems.native");
    VirtualClock clock;
    SimulatedPasteboard pasteboard;
    MemoryDefaults store;

    std::unique_ptr<ClipboardHistoryService> make() {
        return std::make_unique<ClipboardHistoryService>(pasteboard, clock, store);
    }
};

// Compact JSON, times in seconds since 2001; any valid encoding loads, with fractions.
TEST_F(ClipboardHistoryServiceTest, SavesCompactJsonAndLoadsAnyValidEncoding) {
    auto history = make();
    history->setItems({{"978307210-42", QStringLiteral("Привет, мир"),
                        QDateTime::fromSecsSinceEpoch(978307210, Qt::UTC), 11}});
    history->save();
    EXPECT_EQ(store.dataValue(kKey), QStringLiteral(R"([{"id":"978307210-42","text":"Привет, мир",)"
                                                    R"("createdAt":10.0,"chars":11}])")
                                         .toUtf8());
    EXPECT_EQ(make()->items(), history->items());

    store.setData(
        kKey, QByteArray(R"([ {"chars": 3, "createdAt": 12.345, "text": "a\/b", "id": "x"} ])"));
    const auto item = make()->items().value(0);
    EXPECT_EQ(item.text, QStringLiteral("a/b"));
    EXPECT_EQ(item.createdAt.toMSecsSinceEpoch(), 978307200000LL + 12345);
}

// One bad element, no JSON or text instead of data: empty, but kept until the next save.
TEST_F(ClipboardHistoryServiceTest, AnythingBadLoadsAsAnEmptyHistoryThatSavesAsEmpty) {
    const QByteArray good(R"([{"id":"a","text":"ab","createdAt":1,"chars":2}])");
    for (const QByteArray& bad :
         {QByteArray(R"([{"id":"a","text":"ab","createdAt":1,"chars":2},{"id":"b"}])"),
          QByteArray("not json")}) {
        store.setData(kKey, bad);
        EXPECT_TRUE(make()->items().isEmpty());
    }
    store.setString(kKey, QString::fromUtf8(good));
    EXPECT_TRUE(make()->items().isEmpty());
    EXPECT_TRUE(store.hasObject(kKey));

    store.setData(kKey, good);
    auto history = make();
    ASSERT_EQ(history->items().size(), 1);
    int announced = 0;
    QObject::connect(
        history.get(), &ClipboardHistoryService::itemsChanged,
        [&](const QList<ClipboardHistoryItem>& items) { announced += items.isEmpty(); });
    history->setItems({});
    history->save();
    EXPECT_EQ(announced, 1);
    EXPECT_EQ(store.dataValue(kKey), QByteArray("[]"));
}

// The pasteboard at start and after a transient use counts as seen; its trimmed text is the
// last one, unless it holds no text.
TEST_F(ClipboardHistoryServiceTest, TransientUseIsSuppressedAndItsResultTakenAsSeen) {
    auto history = make();
    history->suppressCapture(10);
    clock.advance(1000);
    history->suppressCapture(1.2);  // never shortens a longer one
    clock.advance(8999);
    EXPECT_TRUE(history->isCaptureSuppressed());
    clock.advance(1);
    EXPECT_FALSE(history->isCaptureSuppressed());

    history->suppressCapture(3.5);
    pasteboard.putText(QStringLiteral("\n restored text "));
    history->finishTransientPasteboardUse();
    EXPECT_FALSE(history->isCaptureSuppressed());
    EXPECT_EQ(make()->lastText(), QStringLiteral("restored text"));  // at start as well
    EXPECT_EQ(history->lastText(), QStringLiteral("restored text"));
    pasteboard.putItems({{{QStringLiteral("image/png"), QByteArray("png")}}});
    history->finishTransientPasteboardUse();
    EXPECT_EQ(history->lastChangeCount(), pasteboard.changeCount());
    EXPECT_EQ(history->lastText(), QStringLiteral("restored text"));
}
