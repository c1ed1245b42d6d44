#include <gtest/gtest.h>

#include <ctime>
#include <numeric>

#include "SettingsSourceStub.h"
#include "clipboard/ClipboardHistoryService.h"
#include "support/CaptureServices.h"
#include "support/QtPrinters.h"
#include "support/SimulatedDesktop.h"
#include "support/TaskProbe.h"

namespace {

constexpr qint64 kDayMs = 24 * 3600 * 1000LL;
const QString kKey = ClipboardHistoryService::kStorageKey;

// The history of a simulated desktop, attached to settings, polling on the virtual clock.
struct Desk {
    SimulatedDesktop desktop;
    SimulatedApp& editor = desktop.launch(QStringLiteral("org.example.editor"), "Editor");
    CaptureServices services{desktop};
    ClipboardHistoryService& history = services.history;
    SettingsSourceStub settings;

    Desk() {
        history.attach(settings);
        VirtualClock::flushEvents();
    }
    void poll(int times = 1) {
        for (int i = 0; i < times; ++i) {
            desktop.clock.advance(ClipboardHistoryService::kPollIntervalMs);
        }
    }
    void copy(const QString& text) {
        text.isEmpty() ? desktop.pasteboard.putItems({{{"image/png", QByteArray("\x89PNG")}}})
                       : desktop.pasteboard.putText(text);
        poll();
    }
    static QStringList textsOf(const QList<ClipboardHistoryItem>& items) {
        QStringList out;
        for (const auto& item : items) {
            out.append(item.text);
        }
        return out;
    }
    QStringList texts() const { return textsOf(history.items()); }
    QStringList stored() const {
        const auto data = services.historyStore.dataValue(kKey).value_or("");
        return textsOf(ClipboardHistoryItem::decodeList(data).value_or({}));
    }
    // Entries created this long before now, newest first.
    void setAged(const QList<qint64>& agesMs) {
        QList<ClipboardHistoryItem> items;
        for (qint64 age : agesMs) {
            const QString text = QStringLiteral("entry %1").arg(age);
            items.append({text, text, desktop.clock.currentDateTime().addMSecs(-age), 8});
        }
        history.setItems(items);
    }
    template <typename T>
    void runToEnd(QCoro::Task<T> task) {
        auto outcome = startTask(std::move(task));
        for (int step = 0; step < 1000 && !outcome->done; ++step) {
            desktop.clock.advance(10);
        }
        ASSERT_TRUE(outcome->done);
    }
};

struct LocalZone {
    explicit LocalZone(const char* zone) { qputenv("TZ", zone), tzset(); }
    ~LocalZone() { qunsetenv("TZ"), tzset(); }
};

}  // namespace

// An empty copy stands for an image: no plain text.
TEST(HistoryCapture, RecordsTrimmedTextsOfTwoOrMoreCharactersNewestFirst) {
    const struct {
        QStringList copies, expected;
        int records;
    } cases[] = {
        {{"a", " \n\t "}, {}, 0},
        {{"👍", "e\u0301"}, {}, 0},
        {{"👍👍", "👍👍"}, {"👍👍"}, 1},
        {{"alpha", "beta", " \talpha\n"}, {"alpha", "beta"}, 3},
        {{"earlier", "", "earlier", "later"}, {"later", "earlier"}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.copies.join('|').toStdString());
        Desk desk;
        for (const QString& text : c.copies) {
            desk.copy(text);
        }
        EXPECT_EQ(desk.texts(), c.expected);
        EXPECT_EQ(desk.stored(), c.expected);
        // Every record saves once, after the save of the attach.
        EXPECT_EQ(desk.services.historyStore.writeCount(), 1 + c.records);
        for (const auto& item : desk.history.items()) {
            EXPECT_EQ(item.chars, item.text == "👍👍" ? 2 : item.text.size());
        }
    }
}

TEST(HistoryCapture, MarkedContentIsNeverRecorded) {
    Desk desk;
    for (const auto& [text, type, data] :
         {std::tuple{"s3cr3t", "org.nspasteboard.ConcealedType", ""},
          {"hunter2", "x-kde-passwordManagerHint", "secret"},
          {"shown", "x-kde-passwordManagerHint", "public"}}) {
        desk.desktop.pasteboard.putItems({{{"text/plain", text}, {type, QByteArray(data)}}});
        desk.poll();
    }
    EXPECT_EQ(desk.texts(), QStringList{"shown"});
}

TEST(HistoryCapture, TheLimitIsClampedAndDaysPruneOnlyWhenAWholePositiveNumber) {
    LocalZone utc("UTC");
    for (const auto& [limit, kept] : {std::pair{3, 10}, {50, 50}, {2000, 1000}}) {
        Desk desk;
        QList<qint64> ages(1005);
        std::iota(ages.begin(), ages.end(), 0);
        desk.setAged(ages);
        desk.settings.edit([&](NiveloSettings& s) { s.clipboardLimit = limit; });
        EXPECT_EQ(desk.stored().size(), kept) << limit;
        EXPECT_EQ(desk.texts().value(0), "entry 0");
    }
    for (const auto& [days, kept] :
         {std::pair{"7", 2}, {"forever", 3}, {"0", 3}, {"7.5", 3}, {"99999999999999", 3}}) {
        Desk desk;
        // The cutoff is inclusive: exactly seven days old is kept.
        desk.setAged({kDayMs, 7 * kDayMs, 8 * kDayMs});
        desk.settings.edit([&](NiveloSettings& s) { s.clipboardDays = days; });
        EXPECT_EQ(desk.stored().size(), kept) << days;
    }
    // Days are calendar days of local time: across the change to summer time one is 23 h.
    LocalZone berlin("Europe/Berlin");
    const auto cutoff =
        ClipboardHistoryService::ageCutoff("7", QDateTime({2026, 3, 30}, {10, 0}, Qt::UTC));
    EXPECT_EQ(cutoff.value_or(QDateTime()).toUTC(), QDateTime({2026, 3, 23}, {11, 0}, Qt::UTC));
}

TEST(HistoryCapture, AgePruningWaitsForTheNextCopyOrSettingsChange) {
    Desk desk;
    desk.settings.edit([](NiveloSettings& s) { s.clipboardDays = "7"; });
    desk.setAged({7 * kDayMs - 60000});
    desk.desktop.clock.advance(120000);
    EXPECT_EQ(desk.history.items().size(), 1);
    desk.copy("fresh copy");
    EXPECT_EQ(desk.texts(), QStringList{"fresh copy"});
}

TEST(HistoryCapture, DisablingKeepsTheEntriesAndReenablingRecordsOnlyTheNextCopy) {
    Desk desk;
    desk.copy("before");
    desk.settings.edit([](NiveloSettings& s) { s.clipboardHistoryEnabled = false; });
    desk.copy("hunter2 password");
    // A settings change while off still prunes and saves what is kept.
    desk.settings.edit([](NiveloSettings& s) { s.clipboardLimit = 20; });
    EXPECT_EQ(desk.stored(), QStringList{"before"});
    desk.settings.edit([](NiveloSettings& s) { s.clipboardHistoryEnabled = true; });
    desk.poll(2);
    EXPECT_EQ(desk.texts(), QStringList{"before"});
    desk.copy("after");
    EXPECT_EQ(desk.texts(), (QStringList{"after", "before"}));
}

// A late answer to our Copy comes after the read gave the user's text back: the reader keeps
// capture suppressed while it watches, so it is never recorded.
TEST(HistoryCapture, TheAppsOwnReadsPastesAndLateCopiesNeverEnterIt) {
    Desk desk;
    desk.copy("user text");
    desk.desktop.bringToFront(desk.editor.pid);
    desk.editor.setText("Hello world", 0, 5);
    desk.runToEnd(desk.services.pasteboard.readSelectedTextTransient(false, false,
                                                                     PasteboardTiming::standard()));
    desk.runToEnd(desk.services.pasteboard.pasteTransient(
        "Pasted words", desk.editor.bundleIdentifier, PasteboardTiming::standard()));
    desk.poll(10);
    EXPECT_EQ(desk.editor.text, "Pasted words world");
    EXPECT_EQ(desk.texts(), QStringList{"user text"});

    desk.editor.copyWriteDelayMs = 2000;
    desk.runToEnd(desk.services.pasteboard.readSelectedTextTransient(false, false,
                                                                     PasteboardTiming::standard()));
    desk.history.suppressCapture(2.5);
    desk.history.suppressCapture(1);  // never shortens
    const qint64 restored = desk.desktop.pasteboard.changeCount();
    desk.desktop.clock.advance(2000);
    ASSERT_GT(desk.desktop.pasteboard.changeCount(), restored);
    desk.desktop.pasteboard.clear();
    desk.desktop.pasteboard.setPlainText("user text");
    desk.history.finishTransientPasteboardUse();
    desk.poll(5);
    desk.copy("next");
    EXPECT_EQ(desk.texts(), (QStringList{"next", "user text"}));
}

TEST(HistoryCapture, ASecondAttachReplacesTheSubscriptionAndStartsNoSecondPoll) {
    Desk desk;
    const std::size_t timers = desk.desktop.clock.pendingCount();
    SettingsSourceStub other;
    desk.history.attach(other);
    VirtualClock::flushEvents();
    EXPECT_EQ(desk.desktop.clock.pendingCount(), timers);
    desk.settings.edit([](NiveloSettings& s) { s.clipboardHistoryEnabled = false; });
    desk.copy("still recorded");
    other.edit([](NiveloSettings& s) { s.clipboardHistoryEnabled = false; });
    desk.copy("off now");
    EXPECT_EQ(desk.texts(), QStringList{"still recorded"});
}

// Compact JSON, times in seconds since 2001; any valid encoding loads, with fractions.
TEST(HistoryStore, SavesCompactJsonAndLoadsAnyValidEncoding) {
    SimulatedDesktop desktop;
    MemoryDefaults store;
    ClipboardHistoryService history(desktop.pasteboard, desktop.clock, store);
    history.setItems({{"978307210-42", QStringLiteral("Привет, мир"),
                       QDateTime::fromSecsSinceEpoch(978307210, Qt::UTC), 11}});
    history.save();
    EXPECT_EQ(store.dataValue(kKey), QStringLiteral(R"([{"id":"978307210-42","text":"Привет, мир",)"
                                                    R"("createdAt":10.0,"chars":11}])")
                                         .toUtf8());
    store.setData(kKey, R"([ {"chars": 3, "createdAt": 12.345, "text": "a\/b", "id": "x"} ])");
    const auto item = ClipboardHistoryService(desktop.pasteboard, desktop.clock, store).items();
    ASSERT_EQ(item.size(), 1);
    EXPECT_EQ(item[0].text, QStringLiteral("a/b"));
    EXPECT_EQ(item[0].createdAt.toMSecsSinceEpoch(), 978307200000LL + 12345);
}

// What cannot be read (one bad element, no JSON, text instead of data) is kept aside,
// replacing an older copy, before the first save writes over it; later saves leave it alone.
TEST(HistoryStore, AnUnreadableStoredHistoryIsKeptAsideAtTheFirstSave) {
    const QString aside = ClipboardHistoryService::kUnreadableKey;
    const QByteArray lacksChars(R"([{"id":"a","text":"ab","createdAt":1,"chars":2},{"id":"b"}])");
    for (const QVariant& stored : {QVariant(lacksChars), QVariant(QString(lacksChars))}) {
        SCOPED_TRACE(stored.typeName());
        SimulatedDesktop desktop;
        MemoryDefaults store;
        store.set(kKey, stored);
        store.setData(aside, "older unreadable history");
        ClipboardHistoryService history(desktop.pasteboard, desktop.clock, store);
        EXPECT_TRUE(history.items().isEmpty());
        EXPECT_EQ(store.dataValue(aside), QByteArray("older unreadable history"));
        SettingsSourceStub settings;
        history.attach(settings);
        VirtualClock::flushEvents();
        EXPECT_EQ(store.dataValue(kKey), QByteArray("[]"));
        EXPECT_EQ(store.dataValue(aside), stored.toByteArray());
        desktop.pasteboard.putText("next copy");
        desktop.clock.advance(ClipboardHistoryService::kPollIntervalMs);
        EXPECT_EQ(history.items().size(), 1);
        EXPECT_EQ(store.dataValue(aside), stored.toByteArray());
    }
}
