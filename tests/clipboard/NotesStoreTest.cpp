#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUuid>
#include <memory>

#include "clipboard/ClipboardNotesService.h"
#include "platform/MemoryDefaults.h"
#include "support/QtPrinters.h"
#include "support/VirtualClock.h"

namespace {

const QString kFallback = ClipboardNotesService::kFallbackKey;

// Defaults that fail to store a removal (a crash before they were written out).
class ForgetfulDefaults : public MemoryDefaults {
public:
    void remove(const QString&) override {}
};

QStringList titles(const QList<ClipboardNoteTab>& tabs) {
    QStringList out;
    for (const auto& tab : tabs) {
        out.append(tab.title);
    }
    return out;
}

QStringList noteTexts(const ClipboardNoteTab& tab) {
    QStringList out;
    for (const auto& note : tab.notes) {
        out.append(note.text);
    }
    return out;
}

// Notes in a fresh folder of a temporary home, with defaults in memory.
class NotesStoreTest : public ::testing::Test {
protected:
    QTemporaryDir home;
    QString folder = home.filePath("ai.nivelo.native");
    VirtualClock clock;
    MemoryDefaults memoryDefaults;
    Defaults* defaults = &memoryDefaults;

    std::unique_ptr<ClipboardNotesService> open() {
        return std::make_unique<ClipboardNotesService>(*defaults, clock, folder);
    }
    QString path(const QString& name) const { return folder + "/" + name; }
    QByteArray read(const QString& name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void write(const QString& name, const QByteArray& bytes) {
        QDir().mkpath(folder);
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray main() const { return read(ClipboardNotesService::kFileName); }
    QByteArray backup() const { return read(ClipboardNotesService::kBackupFileName); }
    QStringList files() const { return QDir(folder).entryList(QDir::Files, QDir::Name); }
    // Puts a file where the folder should be, so nothing can be written there.
    void blockFolder() {
        ASSERT_TRUE(QDir(home.path()).rename("ai.nivelo.native", "moved"));
        QFile file(folder);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    void unblockFolder() {
        ASSERT_TRUE(QFile::remove(folder));
        ASSERT_TRUE(QDir(home.path()).rename("moved", "ai.nivelo.native"));
    }
    // A document of one tab with one note.
    static QByteArray document(const QString& title, const QString& note, double updatedAt) {
        return ClipboardNoteTab::encodeList(
            {{"T-" + title,
              title,
              {{"N-" + note, note, QDateTime::fromSecsSinceEpoch(978307200, Qt::UTC),
                QDateTime::fromSecsSinceEpoch(978307200 + qint64(updatedAt), Qt::UTC)}},
              QDateTime::fromSecsSinceEpoch(978307200, Qt::UTC),
              QDateTime::fromSecsSinceEpoch(978307200 + qint64(updatedAt), Qt::UTC)}});
    }
};

}  // namespace

TEST_F(NotesStoreTest, TitlesAreTrimmedAndCutToThirtyTwoCharacters) {
    const QString forty = QString(40, QChar('x'));
    const QString emojis = QString("👍").repeated(40);
    struct Case {
        QString given;
        QString expected;
    };
    const QList<Case> cases{
        {"   \n", "Notes"},
        {"  Work  ", "Work"},
        {forty, forty.left(32)},
        {emojis, QString("👍").repeated(32)},
        // The cut is not trimmed again.
        {QString(31, QChar('y')) + "  z", QString(31, QChar('y')) + " "},
    };
    auto notes = open();
    for (const Case& c : cases) {
        EXPECT_EQ(notes->addTab(c.given).title, c.expected);
    }
    EXPECT_EQ(titles(open()->tabs()), titles(notes->tabs()));

    // A blank new title keeps the old one, but the tab is stamped and saved.
    const auto tab = notes->tabs().at(1);
    clock.advance(5000);
    notes->renameTab(tab.id, "  \t ");
    EXPECT_EQ(open()->tab(tab.id)->title, "Work");
    EXPECT_EQ(open()->tab(tab.id)->updatedAt, tab.updatedAt.addSecs(5));
    const QByteArray saved = main();
    notes->renameTab("missing", "Other");
    EXPECT_EQ(main(), saved);
}

TEST_F(NotesStoreTest, NotesGoToTheFrontAndEditsKeepTheirPlace) {
    auto notes = open();
    const auto tab = notes->addTab("Work");
    EXPECT_TRUE(QUuid::fromString(tab.id).version() == QUuid::Random && tab.id == tab.id.toUpper());
    EXPECT_EQ(tab.id.size(), 36);
    // A blank note is not added and nothing is saved (no backup appears).
    EXPECT_FALSE(notes->addNote(tab.id, " \n "));
    EXPECT_FALSE(notes->addNote("missing", "text"));
    EXPECT_FALSE(QFile::exists(path(ClipboardNotesService::kBackupFileName)));

    const auto first = notes->addNote(tab.id, "  first  ");
    clock.advance(1000);
    const auto second = notes->addNote(tab.id, "second");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->text, "first");
    clock.advance(1000);
    notes->updateNote(tab.id, first->id, " ");
    notes->updateNote(tab.id, first->id, "first, edited");
    const auto edited = *notes->tab(tab.id);
    EXPECT_EQ(noteTexts(edited), (QStringList{"second", "first, edited"}));
    EXPECT_EQ(edited.notes[1].createdAt, first->createdAt);
    EXPECT_EQ(edited.notes[1].updatedAt, clock.currentDateTime());
    EXPECT_EQ(edited.updatedAt, clock.currentDateTime());
    EXPECT_EQ(open()->tabs(), notes->tabs());
}

// Each save makes the file before it the backup, and leaves nothing else behind.
TEST_F(NotesStoreTest, DeletesStampTheTabAndSaveOnce) {
    auto notes = open();
    const auto tab = notes->addTab("Work");
    QStringList ids;
    for (const char* text : {"one", "two", "three"}) {
        ids.append(notes->addNote(tab.id, text)->id);
    }
    const auto other = notes->addTab("Other");
    clock.advance(1000);

    // One save: the backup holds the state before the whole delete.
    QByteArray before = main();
    notes->deleteNotes(tab.id, {ids[0], ids[2]});
    EXPECT_EQ(noteTexts(*notes->tab(tab.id)), QStringList{"two"});
    EXPECT_EQ(backup(), before);

    // A note that is not there still stamps and saves.
    clock.advance(1000);
    before = main();
    notes->deleteNote(tab.id, "missing");
    EXPECT_EQ(notes->tab(tab.id)->updatedAt, clock.currentDateTime());
    EXPECT_EQ(backup(), before);

    before = main();
    notes->deleteTab(tab.id);
    EXPECT_EQ(titles(notes->tabs()), QStringList{"Other"});
    EXPECT_EQ(backup(), before);
    notes->deleteTab("missing");
    EXPECT_EQ(backup(), before);
    EXPECT_EQ(open()->tabs(), QList<ClipboardNoteTab>{*notes->tab(other.id)});
    EXPECT_EQ(files(), (QStringList{ClipboardNotesService::kBackupFileName,
                                    ClipboardNotesService::kFileName}));
}

TEST_F(NotesStoreTest, LoadsTheFirstReadableSource) {
    const QByteArray mainDoc = document("Main", "main note", 10);
    const QByteArray backupDoc = document("Backup", "backup note", 10);
    const QByteArray fallbackDoc = document("Fallback", "fallback note", 10);
    QByteArray noUpdatedAt = mainDoc;
    noUpdatedAt.replace(R"(,"updatedAt":10.0}],)", "}],");
    ASSERT_NE(noUpdatedAt, mainDoc);
    struct Case {
        const char* name;
        QByteArray main;
        QByteArray backup;
        QByteArray fallback;
        QStringList expected;
    };
    const QList<Case> cases{
        {"main", mainDoc, backupDoc, {}, {"Main"}},
        {"invalid main, valid backup", "{oops", backupDoc, {}, {"Backup"}},
        {"main holding []", "[]", backupDoc, {}, {}},
        {"only a fallback", {}, {}, fallbackDoc, {"Fallback"}},
        {"a note without updatedAt", noUpdatedAt, backupDoc, {}, {"Backup"}},
        {"nothing readable", noUpdatedAt, "", "[{}]", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(folder).removeRecursively();
        memoryDefaults.remove(kFallback);
        if (!c.main.isNull()) {
            write(ClipboardNotesService::kFileName, c.main);
        }
        if (!c.backup.isNull()) {
            write(ClipboardNotesService::kBackupFileName, c.backup);
        }
        if (!c.fallback.isNull()) {
            memoryDefaults.setData(kFallback, c.fallback);
        }
        EXPECT_EQ(titles(open()->tabs()), c.expected);
    }
}

TEST_F(NotesStoreTest, AFileWhereTheFolderShouldBeSendsTheNotesToTheFallback) {
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto notes = open();
    notes->addTab("Work");
    EXPECT_EQ(memoryDefaults.dataValue(kFallback), ClipboardNoteTab::encodeList(notes->tabs()));
    EXPECT_EQ(titles(open()->tabs()), QStringList{"Work"});
}

// A damaged main file is moved aside once and never becomes the backup; when it cannot be
// moved, the write goes to the fallback.
TEST_F(NotesStoreTest, ACorruptMainFileSurvivesAsItsUnreadableCopy) {
    const QString aside = "clipboard-notes.unreadable-20260101T120000000Z.json";
    const QByteArray good = document("Backup", "kept", 10);
    for (const bool asideTaken : {false, true}) {
        SCOPED_TRACE(asideTaken);
        QDir(folder).removeRecursively();
        write(ClipboardNotesService::kFileName, "{damaged");
        write(ClipboardNotesService::kBackupFileName, good);
        if (asideTaken) {
            write(aside, "taken");
        }
        auto notes = open();
        notes->addTab("Second");
        const QByteArray afterFirst = main();
        EXPECT_EQ(backup(), good);
        EXPECT_EQ(read(aside), asideTaken ? "taken" : "{damaged");
        EXPECT_EQ(afterFirst == "{damaged", asideTaken);
        EXPECT_EQ(memoryDefaults.hasObject(kFallback), asideTaken);
        notes->addTab("Third");
        EXPECT_EQ(backup(), asideTaken ? good : afterFirst);
        EXPECT_EQ(titles(open()->tabs()), (QStringList{"Backup", "Second", "Third"}));
        memoryDefaults.remove(kFallback);
    }
}

// Edits saved to the fallback while the file could not be written survive a restart, and a
// good write afterwards wins over a fallback whose removal was lost.
TEST_F(NotesStoreTest, AFailedWriteARestartAndAGoodWriteLoseNoEdit) {
    ForgetfulDefaults forgetful;
    for (const bool removalStored : {true, false}) {
        SCOPED_TRACE(removalStored);
        QDir(folder).removeRecursively();
        memoryDefaults.remove(kFallback);
        defaults = removalStored ? static_cast<Defaults*>(&memoryDefaults) : &forgetful;

        QString tabId;
        {
            auto notes = open();
            tabId = notes->addTab("Work").id;
            notes->addNote(tabId, "one");
            clock.advance(1000);
            ASSERT_NO_FATAL_FAILURE(blockFolder());
            notes->addNote(tabId, "two");
            ASSERT_TRUE(defaults->hasObject(kFallback));
        }
        ASSERT_NO_FATAL_FAILURE(unblockFolder());
        clock.advance(1000);
        {
            auto notes = open();
            ASSERT_EQ(noteTexts(*notes->tab(tabId)), (QStringList{"two", "one"}));
            notes->addNote(tabId, "three");
            EXPECT_EQ(defaults->hasObject(kFallback), !removalStored);
        }
        EXPECT_EQ(noteTexts(*open()->tab(tabId)), (QStringList{"three", "two", "one"}));
    }
}
