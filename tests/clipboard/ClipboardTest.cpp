#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <ctime>
#include <numeric>

#include "clipboard/ClipboardHistoryService.h"
#include "clipboard/ClipboardNotesService.h"
#include "clipboard/ClipboardSettingsSource.h"
#include "core/NiveloSettings.h"
#include "support/CaptureServices.h"
#include "support/QtPrinters.h"
#include "support/TaskProbe.h"

// Settings the history follows, changed by the test as the application state would.
class SettingsSourceStub : public QObject, public ClipboardSettingsSource {
    Q_OBJECT
public:
    const NiveloSettings& settings() const override { return value_; }
    Subscription subscribeSettings(std::function<void(const NiveloSettings&)> fn) override {
        return subscribe(this, &SettingsSourceStub::settingsChanged, &SettingsSourceStub::settings,
                         std::move(fn));
    }

    // Publishes the edited record and lets the deliveries arrive.
    void edit(const std::function<void(NiveloSettings&)>& change) {
        change(value_);
        Q_EMIT settingsChanged(value_);
        VirtualClock::flushEvents();
    }

    NiveloSettings value_;
Q_SIGNALS:
    void settingsChanged(const NiveloSettings& settings);
};

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

    Desk() { history.attach(settings), VirtualClock::flushEvents(); }
    void poll(int times = 1) {
        desktop.clock.advance(times * ClipboardHistoryService::kPollIntervalMs);
    }
    void copy(const QString& text) {
        text.isEmpty() ? desktop.pasteboard.putItems({{{"image/png", QByteArray("\x89PNG")}}})
                       : desktop.pasteboard.putText(text);
        poll();
    }
    // What the last save left in the store, newest first.
    QStringList texts() const {
        QStringList out;
        const auto data = services.historyStore.dataValue(kKey).value_or("");
        for (const auto& item :
             ClipboardHistoryItem::decodeList(data).value_or(QList<ClipboardHistoryItem>())) {
            out.append(item.text);
        }
        return out;
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
        Desk desk;
        for (const QString& text : c.copies) {
            desk.copy(text);
        }
        EXPECT_EQ(desk.texts(), c.expected) << c.copies.join('|').toStdString();
        // Every record saves once, after the save of the attach.
        EXPECT_EQ(desk.services.historyStore.writeCount(), 1 + c.records);
    }
}

// A long copy is measured off the event loop; the copies after it wait their turn, so the list
// keeps the order of the copies, and a long text that is one character is still not kept. The
// copies are polled without a turn of the event loop: the measure comes in only once they are
// all made, whenever the thread ends.
TEST(HistoryCapture, LongCopiesAreMeasuredAsideAndKeepTheOrderOfTheCopies) {
    constexpr qsizetype kLong = ClipboardHistoryService::kMeasureAsideChars;
    const QString accents = QString("e\u0301").repeated(kLong / 2 + 1);
    const QString oneCharacter = "e" + QString(QChar(0x301)).repeated(kLong);
    Desk desk;
    for (const QString& text : {accents, QString("after"), oneCharacter, QString("last")}) {
        desk.desktop.pasteboard.putText(text);
        desk.history.poll();
        EXPECT_TRUE(desk.history.isRecording());
    }
    EXPECT_TRUE(desk.history.items().isEmpty());
    QElapsedTimer waited;
    waited.start();
    while (desk.history.isRecording() && !waited.hasExpired(20000)) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    QStringList kept;
    for (const ClipboardHistoryItem& item : desk.history.items()) {
        kept << QString("%1 (%2 chars)").arg(item.text.left(5)).arg(item.chars);
    }
    EXPECT_EQ(kept,
              (QStringList{"last (4 chars)", "after (5 chars)",
                           QString("%1 (%2 chars)").arg(accents.left(5)).arg(kLong / 2 + 1)}));
    EXPECT_EQ(desk.texts().size(), 3);
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
        EXPECT_EQ(desk.texts().size(), kept) << limit;
        EXPECT_EQ(desk.texts().value(0), "entry 0");
    }
    // Counts whose date the calendar cannot form, or that would land after now, are no limit.
    const std::pair<const char*, int> byDays[] = {{"7", 2},
                                                  {"forever", 3},
                                                  {"0", 3},
                                                  {"7.5", 3},
                                                  {"4169999655", 3},
                                                  {"10000000000", 3},
                                                  {"100000000000", 3},
                                                  {"99999999999999", 3},
                                                  {"9223372036854775807", 3}};
    for (const auto& [days, kept] : byDays) {
        Desk desk;
        // The cutoff is inclusive: exactly seven days old is kept.
        desk.setAged({kDayMs, 7 * kDayMs, 8 * kDayMs});
        desk.settings.edit([&](NiveloSettings& s) { s.clipboardDays = days; });
        EXPECT_EQ(desk.texts().size(), kept) << days;
    }
    // Age pruning waits for the next copy or settings change.
    Desk desk;
    desk.settings.edit([](NiveloSettings& s) { s.clipboardDays = "7"; });
    desk.setAged({7 * kDayMs - 60000});
    desk.desktop.clock.advance(120000);
    EXPECT_EQ(desk.history.items().size(), 1);
    desk.copy("fresh copy");
    EXPECT_EQ(desk.texts(), QStringList{"fresh copy"});
    // Days are calendar days of local time: across the change to summer time one is 23 h.
    LocalZone berlin("Europe/Berlin");
    const auto cutoff =
        ClipboardHistoryService::ageCutoff("7", QDateTime({2026, 3, 30}, {10, 0}, Qt::UTC));
    EXPECT_EQ(cutoff.value_or(QDateTime()).toUTC(), QDateTime({2026, 3, 23}, {11, 0}, Qt::UTC));
    // A count reaching back past the calendar's earliest date is no limit.
    for (const char* days : {"1000000000000", "9223372036854775807"}) {
        EXPECT_FALSE(ClipboardHistoryService::ageCutoff(days, QDateTime::currentDateTime()))
            << days;
    }
}

// Every count either cuts that many calendar days before now or, reaching back past what the
// calendar and a time stamp hold, is no limit: in any zone, the bands where local-time day
// arithmetic wraps (multiples of about 4.17e9 days) included.
TEST(HistoryCapture, EveryDayCountCutsThatManyDaysBackOrIsNoLimit) {
    QList<qint64> counts;
    for (double count = 1; count < 9.2e18; count *= 1.07) {
        counts << qint64(count);
    }
    for (qint64 band = 1; band <= 40; ++band) {
        for (qint64 step : {-100000, -1, 0, 1, 345, 100000}) {
            counts << band * 4169999655 + step;
        }
    }
    // A time stamp reaches back about 1.0675e11 days (Qt's local time overflows in its first
    // decades), the calendar about 7.84e11.
    for (qint64 step = -12; step <= 12; ++step) {
        counts << 106751991100 + step * 2500 << 784352000000 + step * 1000000;
    }
    const QDateTime nows[] = {
        QDateTime::currentDateTimeUtc(), QDateTime({2026, 3, 30}, {0, 30}, Qt::UTC),
        QDateTime({2026, 10, 25}, {1, 30}, Qt::UTC), QDateTime({2026, 12, 31}, {23, 30}, Qt::UTC)};
    QStringList wrong;
    for (const char* zone : {"UTC", "Europe/Berlin", "America/New_York", "Asia/Kolkata",
                             "Australia/Lord_Howe", "Pacific/Kiritimati", "America/St_Johns"}) {
        LocalZone local(zone);
        for (const QDateTime& now : nows) {
            const QDate today = now.toLocalTime().date();
            for (qint64 count : counts) {
                const auto cutoff = ClipboardHistoryService::ageCutoff(QString::number(count), now);
                const double back =
                    cutoff ? double(now.toMSecsSinceEpoch() - cutoff->toMSecsSinceEpoch()) / kDayMs
                           : 0;
                // Within two days: a zone's offset then and now may differ by more than one.
                const bool right = cutoff
                                       ? std::abs(back - double(count)) <= 2 &&
                                             cutoff->toLocalTime().date() == today.addDays(-count)
                                       : count > 100000000000;
                if (!right && wrong.size() < 20) {
                    wrong << QStringLiteral("%1 %2 %3: %4")
                                 .arg(zone, now.toString(Qt::ISODate))
                                 .arg(count)
                                 .arg(cutoff ? QString::number(back, 'f', 3) + " days back"
                                             : "no limit");
                }
            }
        }
    }
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join('\n').toStdString();
}

// A second attach replaces the first subscription and starts no second poll.
TEST(HistoryCapture, DisablingKeepsTheEntriesAndReenablingRecordsOnlyTheNextCopy) {
    Desk desk;
    const std::size_t timers = desk.desktop.clock.pendingCount();
    SettingsSourceStub other;
    desk.history.attach(other);
    VirtualClock::flushEvents();
    EXPECT_EQ(desk.desktop.clock.pendingCount(), timers);
    desk.settings.edit([](NiveloSettings& s) { s.clipboardHistoryEnabled = false; });
    desk.copy("before");
    other.edit([](NiveloSettings& s) { s.clipboardHistoryEnabled = false; });
    desk.copy("hunter2 password");
    // A settings change while off still prunes and saves what is kept.
    other.edit([](NiveloSettings& s) { s.clipboardLimit = 20; });
    EXPECT_EQ(desk.texts(), QStringList{"before"});
    other.edit([](NiveloSettings& s) { s.clipboardHistoryEnabled = true; });
    desk.poll(2);
    EXPECT_EQ(desk.texts(), QStringList{"before"});
    desk.copy("after");
    EXPECT_EQ(desk.texts(), (QStringList{"after", "before"}));
}

// A late answer to our Copy comes after the read gave the user's text back: the reader keeps
// capture suppressed while it watches, so it is never recorded.
TEST(HistoryCapture, TheAppsOwnReadsPastesAndLateCopiesNeverEnterIt) {
    Desk desk;
    desk.history.suppressCapture(10);
    desk.history.suppressCapture(1.2);  // never shortens
    desk.desktop.clock.advance(5000);
    EXPECT_TRUE(desk.history.isCaptureSuppressed());
    desk.history.finishTransientPasteboardUse();
    desk.copy("user text");
    desk.desktop.bringToFront(desk.editor.pid);
    desk.editor.setText("Hello world", 0, 5);
    auto& pasteboard = desk.services.pasteboard;
    const auto timing = PasteboardTiming::standard();
    desk.runToEnd(pasteboard.readSelectedTextTransient(false, false, timing));
    desk.runToEnd(pasteboard.pasteTransient("Pasted words", desk.editor.bundleIdentifier, timing));
    desk.poll(10);
    EXPECT_EQ(desk.editor.text, "Pasted words world");
    EXPECT_EQ(desk.texts(), QStringList{"user text"});

    desk.editor.setText("Hello world", 0, 5);
    desk.editor.copyWriteDelayMs = 2000;
    desk.runToEnd(pasteboard.readSelectedTextTransient(false, false, timing));
    desk.history.suppressCapture(2.5);
    const qint64 restored = desk.desktop.pasteboard.changeCount();
    desk.desktop.clock.advance(2000);
    ASSERT_GT(desk.desktop.pasteboard.changeCount(), restored);
    desk.desktop.pasteboard.clear();
    desk.desktop.pasteboard.setPlainText("user text");
    desk.history.finishTransientPasteboardUse();
    desk.poll(5);
    desk.copy("next");
    EXPECT_EQ(desk.texts(), (QStringList{"next", "user text"}));

    // A copy the poll has not seen yet when a read starts is recorded before it.
    desk.editor.copyWriteDelayMs = 0;
    desk.desktop.pasteboard.clear();
    desk.desktop.pasteboard.setPlainText("copied just before");
    desk.runToEnd(pasteboard.readSelectedTextTransient(false, false, timing));
    desk.poll(5);
    EXPECT_EQ(desk.texts(), (QStringList{"copied just before", "next", "user text"}));
}

// Compact JSON, times in seconds since 2001; any valid encoding loads, with fractions.
// A text read aside is recorded once it is there, soon after, not at the next poll; before
// our own use of the pasteboard, at once.
TEST(HistoryCapture, ATextReadAsideIsRecordedOnceItIsThere) {
    Desk desk;
    desk.desktop.pasteboard.readTextAside(3);
    desk.desktop.pasteboard.putText(QStringLiteral("large copy"));
    desk.poll();
    EXPECT_EQ(desk.texts(), QStringList());
    desk.desktop.clock.advance(3 * ClipboardHistoryService::kPendingPollMs);
    EXPECT_EQ(desk.texts(), QStringList{"large copy"});

    // Our own use of the pasteboard reads a pending copy at once: later it would be hidden.
    desk.desktop.pasteboard.readTextAside(3);
    desk.desktop.pasteboard.putText(QStringLiteral("copied just before an action"));
    desk.history.suppressCapture(1);
    EXPECT_EQ(desk.texts(), (QStringList{"copied just before an action", "large copy"}));
}

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
    EXPECT_EQ(ClipboardHistoryService(desktop.pasteboard, desktop.clock, store)
                  .items()
                  .value(0)
                  .createdAt,
              QDateTime::fromMSecsSinceEpoch(978307212345LL, Qt::UTC));
}

// What cannot be read (one bad element, no JSON, text instead of data) is kept aside,
// replacing an older copy, before the first save writes over it; later saves leave it alone.
TEST(HistoryStore, AnUnreadableStoredHistoryIsKeptAsideAtTheFirstSave) {
    const QString aside = ClipboardHistoryService::kUnreadableKey;
    const QByteArray lacksChars(R"([{"id":"a","text":"ab","createdAt":1,"chars":2},{"id":"b"}])");
    for (const QVariant& stored : {QVariant(lacksChars), QVariant(QString(lacksChars))}) {
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
        history.save();
        EXPECT_EQ(store.dataValue(aside), stored.toByteArray()) << stored.typeName();
    }
}

namespace {

const QString kFallback = ClipboardNotesService::kFallbackKey;
const QString kMain = ClipboardNotesService::kFileName;
const QString kBackup = ClipboardNotesService::kBackupFileName;

// Defaults that fail to store a removal (a crash before they were written out).
struct ForgetfulDefaults : MemoryDefaults {
    void remove(const QString&) override {}
};

QStringList titles(const QList<ClipboardNoteTab>& tabs) {
    QStringList out;
    for (const auto& tab : tabs) {
        out.append(tab.title);
        for (const auto& note : tab.notes) {
            out.append("- " + note.text);
        }
    }
    return out;
}

// Notes in a fresh folder of a temporary home, with defaults in memory.
struct NotesStoreTest : ::testing::Test {
    QTemporaryDir home;
    QString folder = home.filePath("ai.nivelo.native");
    VirtualClock clock;
    MemoryDefaults memoryDefaults;
    Defaults* defaults = &memoryDefaults;

    std::unique_ptr<ClipboardNotesService> open() {
        return std::make_unique<ClipboardNotesService>(*defaults, clock, folder);
    }
    QByteArray read(const QString& name) const {
        QFile file(folder + "/" + name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void write(const QString& name, const QByteArray& bytes) {
        QDir().mkpath(folder);
        QFile file(folder + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // Swaps the folder with a file of its name, so nothing can be written there, and back.
    void swapFolder(bool block) {
        ASSERT_TRUE(block ? QDir(home.path()).rename("ai.nivelo.native", "moved")
                          : QFile::remove(folder));
        ASSERT_TRUE(block ? QFile(folder).open(QIODevice::WriteOnly)
                          : QDir(home.path()).rename("moved", "ai.nivelo.native"));
    }
    // A document of one tab with one note.
    static QByteArray document(const QString& title) {
        const auto at = QDateTime::fromSecsSinceEpoch(978307210, Qt::UTC);
        return ClipboardNoteTab::encodeList(
            {{"T-" + title, title, {{"N", "note", at, at}}, at, at}});
    }
};

}  // namespace

// Each save makes the file before it the backup, and leaves nothing else behind.
TEST_F(NotesStoreTest, NotesGoToTheFrontEditsKeepTheirPlaceAndEachSaveKeepsABackup) {
    auto notes = open();
    EXPECT_EQ(notes->addTab("   \n").title, "Notes");
    EXPECT_EQ(notes->addTab(QString("👍").repeated(40)).title, QString("👍").repeated(32));
    const QString tab = notes->addTab("  Work  ").id;
    // A blank note is not added and nothing is saved (the backup stays).
    const QByteArray backup = read(kBackup);
    EXPECT_FALSE(notes->addNote(tab, " \n "));
    EXPECT_EQ(read(kBackup), backup);
    const auto first = notes->addNote(tab, "  first  "), second = notes->addNote(tab, "second");
    clock.advance(1000);
    notes->updateNote(tab, first->id, " ");
    notes->updateNote(tab, first->id, "first, edited");
    const auto edited = *notes->tab(tab);
    EXPECT_EQ(titles({edited}), (QStringList{"Work", "- second", "- first, edited"}));
    EXPECT_EQ(edited.notes[1].createdAt, first->createdAt);
    EXPECT_EQ(edited.updatedAt, clock.currentDateTime());
    EXPECT_EQ(open()->tabs(), notes->tabs());
    const QByteArray before = read(kMain);
    notes->deleteNotes(tab, {first->id, second->id});
    EXPECT_EQ(read(kBackup), before);
    EXPECT_TRUE(open()->tab(tab)->notes.isEmpty());
    EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name), (QStringList{kBackup, kMain}));
}

TEST_F(NotesStoreTest, LoadsTheFirstReadableSource) {
    const QByteArray noUpdatedAt = document("Main").replace(R"(,"updatedAt":10.0}],)", "}],");
    const struct {
        QByteArray main, backup, fallback;
        QStringList expected;
    } cases[] = {
        {document("Main"), document("Backup"), {}, {"Main", "- note"}},
        {"{oops", document("Backup"), {}, {"Backup", "- note"}},
        {"[]", document("Backup"), {}, {}},
        {noUpdatedAt, {}, document("Fallback"), {"Fallback", "- note"}},
    };
    for (const auto& c : cases) {
        write(kMain, c.main);
        write(kBackup, c.backup);
        memoryDefaults.setData(kFallback, c.fallback);
        EXPECT_EQ(titles(open()->tabs()), c.expected) << c.main.toStdString();
    }
}

// A notes file that is a symbolic link (dotfiles kept elsewhere): the backup is a file of its
// own with the notes before the save, not one more link to the file the save replaces.
TEST_F(NotesStoreTest, TheBackupOfALinkedNotesFileHoldsTheNotesBeforeTheSave) {
    const QString target = home.filePath("dotfiles/notes.json");
    ASSERT_TRUE(QDir().mkpath(home.filePath("dotfiles")) && QDir().mkpath(folder));
    ASSERT_TRUE(QFile::link(target, folder + "/" + kMain));
    auto notes = open();
    const QString tab = notes->addTab("Work").id;
    notes->addNote(tab, "first");
    const QByteArray before = read(kMain);
    notes->addNote(tab, "second");
    EXPECT_EQ(QFileInfo(folder + "/" + kMain).symLinkTarget(), target);
    EXPECT_FALSE(QFileInfo(folder + "/" + kBackup).isSymLink());
    EXPECT_EQ(read(kBackup), before);
    EXPECT_NE(read(kMain), before);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::System), (QStringList{kBackup, kMain}));
}

// A damaged main file is moved aside once and never becomes the backup; when it cannot be
// moved, the write goes to the fallback.
TEST_F(NotesStoreTest, ACorruptMainFileSurvivesAsItsUnreadableCopy) {
    const QString aside = "clipboard-notes.unreadable-20260101T120000000Z.json";
    const QByteArray good = document("Backup");
    for (const bool asideTaken : {false, true}) {
        QDir(folder).removeRecursively();
        write(kMain, "{damaged");
        write(kBackup, good);
        asideTaken ? write(aside, "taken") : void();
        auto notes = open();
        notes->addTab("Second");
        const QByteArray afterFirst = read(kMain);
        EXPECT_EQ(read(kBackup), good);
        EXPECT_EQ(read(aside), asideTaken ? "taken" : "{damaged");
        EXPECT_EQ(afterFirst == "{damaged", asideTaken);
        EXPECT_EQ(memoryDefaults.hasObject(kFallback), asideTaken);
        notes->addTab("Third");
        EXPECT_EQ(read(kBackup), asideTaken ? good : afterFirst);
        EXPECT_EQ(titles(open()->tabs()), (QStringList{"Backup", "- note", "Second", "Third"}));
        memoryDefaults.remove(kFallback);
    }
}

// Edits saved to the fallback while the file could not be written survive a restart, and a
// good write afterwards wins over a fallback whose removal was lost.
TEST_F(NotesStoreTest, AFailedWriteARestartAndAGoodWriteLoseNoEdit) {
    ForgetfulDefaults forgetful;
    for (const bool removalStored : {true, false}) {
        QDir(folder).removeRecursively();
        memoryDefaults.remove(kFallback);
        defaults = removalStored ? static_cast<Defaults*>(&memoryDefaults) : &forgetful;
        QString tabId;
        {
            auto notes = open();
            tabId = notes->addTab("Work").id;
            notes->addNote(tabId, "one");
            clock.advance(1000);
            ASSERT_NO_FATAL_FAILURE(swapFolder(true));
            notes->addNote(tabId, "two");
            ASSERT_TRUE(defaults->hasObject(kFallback));
        }
        ASSERT_NO_FATAL_FAILURE(swapFolder(false));
        clock.advance(1000);
        {
            auto notes = open();
            ASSERT_EQ(titles(notes->tabs()), (QStringList{"Work", "- two", "- one"}));
            notes->addNote(tabId, "three");
            EXPECT_EQ(defaults->hasObject(kFallback), !removalStored);
        }
        EXPECT_EQ(titles(open()->tabs()), (QStringList{"Work", "- three", "- two", "- one"}));
    }
}

// The notes, their backup and their folder are the owner's only; what an older build left
// readable to others is tightened when the folder is first used.
TEST_F(NotesStoreTest, TheFolderAndItsFilesAreTheOwnersOnly) {
    const auto modeOf = [](const QString& path) {
        return int(QFileInfo(path).permissions() & 0x0777);
    };
    constexpr int kOwnerFolder = 0x0700, kOwnerFile = 0x0600;
    const QString standard = home.filePath("share/ai.nivelo.native");
    ASSERT_TRUE(QDir().mkpath(standard));
    QFile old(standard + "/clipboard-history.ini");
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.close();
    QFile::setPermissions(standard, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                        QFile::ReadOther | QFile::ExeOther);
    old.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", home.filePath("share").toUtf8());
    EXPECT_EQ(ClipboardNotesService::storageDirectory(), standard);
    saved.isNull() ? void(qunsetenv("XDG_DATA_HOME")) : void(qputenv("XDG_DATA_HOME", saved));
    EXPECT_EQ(modeOf(standard), kOwnerFolder);
    EXPECT_EQ(modeOf(old.fileName()), kOwnerFile);

    auto notes = open();
    notes->addTab("First");
    notes->addTab("Second");
    EXPECT_EQ(modeOf(folder), kOwnerFolder);
    for (const QString& name : {kMain, kBackup}) {
        EXPECT_EQ(modeOf(folder + "/" + name), kOwnerFile) << name.toStdString();
    }
}

#include "ClipboardTest.moc"
