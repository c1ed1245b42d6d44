#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "clipboard/ClipboardNotesService.h"
#include "platform/MemoryDefaults.h"
#include "support/QtPrinters.h"
#include "support/VirtualClock.h"

namespace {

const QString kFallback = ClipboardNotesService::kFallbackKey;
const QString kMain = ClipboardNotesService::kFileName;
const QString kBackup = ClipboardNotesService::kBackupFileName;

// Defaults that fail to store a removal (a crash before they were written out).
class ForgetfulDefaults : public MemoryDefaults {
public:
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
    // A blank note is not added and nothing is saved (no backup appears).
    EXPECT_FALSE(notes->addNote(tab, " \n "));
    EXPECT_FALSE(QFile::exists(folder + "/" + kBackup));
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
    const QByteArray mainDoc = document("Main");
    QByteArray noUpdatedAt = mainDoc;
    noUpdatedAt.replace(R"(,"updatedAt":10.0}],)", "}],");
    const struct {
        QByteArray main, backup, fallback;
        QStringList expected;
    } cases[] = {
        {mainDoc, document("Backup"), {}, {"Main", "- note"}},
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

// A damaged main file is moved aside once and never becomes the backup; when it cannot be
// moved, the write goes to the fallback.
TEST_F(NotesStoreTest, ACorruptMainFileSurvivesAsItsUnreadableCopy) {
    const QString aside = "clipboard-notes.unreadable-20260101T120000000Z.json";
    const QByteArray good = document("Backup");
    for (const bool asideTaken : {false, true}) {
        SCOPED_TRACE(asideTaken);
        QDir(folder).removeRecursively();
        write(kMain, "{damaged");
        write(kBackup, good);
        if (asideTaken) {
            write(aside, "taken");
        }
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
