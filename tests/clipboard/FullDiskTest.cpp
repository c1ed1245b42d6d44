#include <gtest/gtest.h>

#include <sys/file.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <filesystem>
#include <memory>

#include "clipboard/ClipboardNoteTab.h"
#include "support/EventWait.h"
#include "support/SmallDisk.h"

namespace {

constexpr qint64 kPage = SmallDisk::kPage;

QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// The stores as a process of their own, over the small disk: what one run leaves on disk is
// what the next one loads.
class Stores {
public:
    explicit Stores(const SmallDisk& disk)
        : Stores(disk.path("data"), disk.path("config/defaults.ini")) {}
    Stores(const QString& dataFolder, const QString& settingsFile) {
        process_.start(NIVELO_STORE_PROBE, {dataFolder, settingsFile});
        started_ = process_.waitForStarted(10000);
    }
    ~Stores() { finish(); }
    qint64 pid() const { return process_.processId(); }
    // Sends one command without waiting for its answer.
    void send(const QString& line) {
        process_.write((line + "\n").toUtf8());
        while (process_.bytesToWrite() > 0 && process_.waitForBytesWritten(20000)) {
        }
    }

    // Runs one command; its printed lines.
    QStringList command(const QString& line) {
        if (!started_) {
            return {"(not started)"};
        }
        process_.write((line + "\n").toUtf8());
        QStringList out;
        while (out.isEmpty() || out.last() != "ok") {
            if (!process_.canReadLine() && !process_.waitForReadyRead(20000)) {
                out << "(no answer)";
                break;
            }
            while (process_.canReadLine()) {
                out << QString::fromUtf8(process_.readLine()).chopped(1);
            }
        }
        out.removeAll("ok");
        return out;
    }
    // Ends the input; the process quits as the app does.
    bool finish() {
        if (process_.state() == QProcess::NotRunning) {
            return process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
        }
        process_.closeWriteChannel();
        const bool ended = process_.waitForFinished(20000) && process_.exitCode() == 0;
        atQuit_ =
            QString::fromUtf8(process_.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        return ended;
    }
    // What the process printed while it quit.
    const QStringList& atQuit() const { return atQuit_; }

private:
    QProcess process_;
    bool started_ = false;
    QStringList atQuit_;
};

// Longer than a page, so that a write cut at the page boundary is a truncated file.
QString big(const QString& text) {
    return text + " " + QString("x").repeated(int(kPage));
}

// The dumped lines of one kind, each cut to its kind and first word.
QStringList heads(const QStringList& dump, const QString& kind) {
    QStringList out;
    for (const QString& line : dump) {
        if (line.startsWith(kind + " ")) {
            out << line.section(' ', 0, 1);
        }
    }
    return out;
}

// Files a write left beside the stores: temporary names and backup links (the lock is not one).
QStringList strays(const SmallDisk& disk) {
    QStringList out;
    for (const QString& folder : {QStringLiteral("data"), QStringLiteral("config")}) {
        for (const QString& name : QDir(disk.path(folder)).entryList(QDir::Files | QDir::Hidden)) {
            if (!name.endsWith(".json") && !name.endsWith(".ini") && name != "nivelo.lock") {
                out << folder + "/" + name;
            }
        }
    }
    return out;
}

const QString kNoSpace = "failed Could not save: No space left on device.";

}  // namespace

// While the disk is full nothing the user kept changes and the backup still loads; once there
// is room again, one more change writes everything, and a new process loads every note, copy
// and setting, those made while the disk was full included.
TEST(FullDisk, AWriteThatDoesNotFitLeavesTheFilesAndIsWrittenOnceThereIsRoom) {
    SmallDisk disk;
    SCOPED_TRACE(disk.isMounted() ? "a full tmpfs" : "a file-size limit");
    ASSERT_TRUE(QDir().mkpath(disk.path("data")) && QDir().mkpath(disk.path("config")));
    {
        Stores first(disk);
        for (int i = 0; i < 50; ++i) {
            first.command(QStringLiteral("set nivelo.key%1 %2").arg(i).arg(QString(100, 'v')));
        }
        first.command("note " + big("one"));
        first.command("note " + big("two"));
        first.command("copy " + big("alpha"));
        first.command("copy " + big("beta"));
        ASSERT_TRUE(first.finish());
    }
    const QStringList files{"data/clipboard-notes.json", "config/defaults.ini",
                            "data/clipboard-history.ini"};
    QMap<QString, QByteArray> before;
    for (const QString& name : files) {
        before[name] = read(disk.path(name));
        ASSERT_GT(before[name].size(), kPage) << name.toStdString();
    }

    Stores second(disk);
    ASSERT_NO_FATAL_FAILURE(disk.fill(second.pid()));
    // The user hears of it once for the run of failing saves, not at every change.
    QStringList said;
    said << second.command("note " + big("three"));
    said << second.command("copy " + big("gamma"));
    said << second.command("set nivelo.late yes");
    said << second.command("note " + big("more"));
    if (disk.isMounted()) {
        EXPECT_EQ(said, QStringList{kNoSpace});
    } else {
        EXPECT_EQ(said.size(), 1) << said.join(" | ").toStdString();
        EXPECT_TRUE(said.value(0).startsWith("failed Could not save: "));
    }
    EXPECT_EQ(strays(disk), QStringList());
    for (const QString& name : files) {
        const QByteArray now = read(disk.path(name));
        EXPECT_TRUE(now == before[name])
            << name.toStdString() << " changed: " << before[name].size() << " bytes before, "
            << now.size() << " now";
    }
    EXPECT_TRUE(ClipboardNoteTab::decodeList(read(disk.path("data/clipboard-notes.backup.json"))));

    ASSERT_NO_FATAL_FAILURE(disk.makeRoom(second.pid()));
    EXPECT_EQ(second.command("note " + big("four")), QStringList());
    ASSERT_TRUE(second.finish());
    // Everything was written in the end: nothing to report at quit.
    EXPECT_EQ(second.atQuit(), QStringList());
    EXPECT_EQ(strays(disk), QStringList());

    Stores restarted(disk);
    const QStringList dump = restarted.command("dump");
    EXPECT_EQ(heads(dump, "note"),
              (QStringList{"note four", "note more", "note three", "note two", "note one"}));
    EXPECT_EQ(heads(dump, "copy"), (QStringList{"copy gamma", "copy beta", "copy alpha"}));
    EXPECT_EQ(heads(dump, "setting").size(), 51);
    EXPECT_TRUE(dump.contains("setting nivelo.late"));
}

// Settings, history and notes files that are links (dotfiles kept in a repository on the small
// disk) stay links: the first writes make the files they point to, later ones replace those,
// and while the disk is full each keeps what it held.
TEST(FullDisk, LinkedFilesStayLinksAndTheirTargetsAreReplacedWhole) {
    namespace fs = std::filesystem;
    SmallDisk disk;
    SCOPED_TRACE(disk.isMounted() ? "a full tmpfs" : "a file-size limit");
    QTemporaryDir home;
    ASSERT_TRUE(QDir().mkpath(disk.path("repo")) && QDir().mkpath(home.filePath("data")) &&
                QDir().mkpath(home.filePath("config")));
    // An absolute link, a relative one, and a chain of two.
    const std::pair<QString, QString> links[] = {
        {home.filePath("data/clipboard-history.ini"), disk.path("repo/history.ini")},
        {home.filePath("data/clipboard-notes.json"),
         QDir(home.filePath("data")).relativeFilePath(disk.path("repo/notes.json"))},
        {home.filePath("config/linked.ini"), disk.path("repo/defaults.ini")},
        {home.filePath("config/defaults.ini"), "linked.ini"}};
    for (const auto& [link, to] : links) {
        fs::create_symlink(to.toStdString(), link.toStdString());
    }
    const QStringList targets{"repo/history.ini", "repo/notes.json", "repo/defaults.ini"};
    const auto linksStay = [&] {
        for (const auto& [link, to] : links) {
            std::error_code error;
            EXPECT_EQ(fs::read_symlink(link.toStdString(), error), to.toStdString())
                << link.toStdString();
        }
    };
    const auto start = [&] {
        return std::make_unique<Stores>(home.filePath("data"),
                                        home.filePath("config/defaults.ini"));
    };
    {
        const auto first = start();
        first->command("note " + big("one"));
        first->command("copy " + big("alpha"));
        first->command("set nivelo.early " + big("yes"));
        ASSERT_TRUE(first->finish());
    }
    linksStay();
    QMap<QString, QByteArray> before;
    for (const QString& name : targets) {
        before[name] = read(disk.path(name));
        EXPECT_GT(before[name].size(), kPage) << name.toStdString();
    }

    const auto second = start();
    ASSERT_NO_FATAL_FAILURE(disk.fill(second->pid()));
    second->command("note " + big("two"));
    second->command("copy " + big("beta"));
    second->command("set nivelo.late " + big("yes"));
    for (const QString& name : targets) {
        EXPECT_TRUE(read(disk.path(name)) == before[name]) << name.toStdString() << " changed";
    }
    linksStay();
    ASSERT_NO_FATAL_FAILURE(disk.makeRoom(second->pid()));
    second->command("note " + big("three"));
    ASSERT_TRUE(second->finish());
    linksStay();
    EXPECT_EQ(QDir(disk.path("repo")).entryList(QDir::Files),
              (QStringList{"defaults.ini", "history.ini", "notes.json"}));

    const QStringList dump = start()->command("dump");
    EXPECT_EQ(heads(dump, "note"), (QStringList{"note three", "note two", "note one"}));
    EXPECT_EQ(heads(dump, "copy"), (QStringList{"copy beta", "copy alpha"}));
    EXPECT_TRUE(dump.contains("setting nivelo.early") && dump.contains("setting nivelo.late"));
    for (const QString& name : targets) {
        EXPECT_NE(read(disk.path(name)), before[name]) << name.toStdString() << " unchanged";
    }
}

// A quit while a change is still unsaved says so once more; a later run that can write says
// nothing, and leaves nothing beside the files.
TEST(FullDisk, AQuitWithUnsavedChangesReportsThemAgain) {
    SmallDisk disk;
    SCOPED_TRACE(disk.isMounted() ? "a full tmpfs" : "a file-size limit");
    ASSERT_TRUE(QDir().mkpath(disk.path("data")) && QDir().mkpath(disk.path("config")));
    {
        Stores first(disk);
        first.command("note " + big("one"));
        first.command("note " + big("two"));
        ASSERT_TRUE(first.finish());
        EXPECT_EQ(first.atQuit(), QStringList());
    }
    Stores full(disk);
    ASSERT_NO_FATAL_FAILURE(disk.fill(full.pid()));
    const QStringList said = full.command("note " + big("lost"));
    EXPECT_EQ(said.size(), 1) << said.join(" | ").toStdString();
    EXPECT_TRUE(full.command("note " + big("lost too")).isEmpty());
    ASSERT_TRUE(full.finish());
    EXPECT_EQ(full.atQuit(), said);
    EXPECT_EQ(strays(disk), QStringList());
}

// Once there is room again, a good write of any store writes again every store whose save
// failed, before any change of theirs or quit; so the run of failures ends, and the next
// failure is told again.
TEST(FullDisk, AGoodWriteWritesAgainWhatFailedAndTheNextFailureIsToldAgain) {
    SmallDisk disk;
    SCOPED_TRACE(disk.isMounted() ? "a full tmpfs" : "a file-size limit");
    ASSERT_TRUE(QDir().mkpath(disk.path("data")) && QDir().mkpath(disk.path("config")));
    Stores stores(disk);
    stores.command("set nivelo.early " + big("yes"));
    stores.command("note " + big("one"));
    ASSERT_NO_FATAL_FAILURE(disk.fill(stores.pid()));
    QStringList said = stores.command("set nivelo.late yes");
    said << stores.command("note " + big("two"));
    EXPECT_EQ(said.size(), 1) << said.join(" | ").toStdString();

    ASSERT_NO_FATAL_FAILURE(disk.makeRoom(stores.pid()));
    EXPECT_EQ(stores.command("copy " + big("alpha")), QStringList());
    EXPECT_TRUE(read(disk.path("config/defaults.ini")).contains("nivelo.late"));
    EXPECT_TRUE(read(disk.path("data/clipboard-notes.json")).contains("two x"));

    ASSERT_NO_FATAL_FAILURE(disk.fill(stores.pid()));
    EXPECT_EQ(stores.command("set nivelo.later yes"), said);
    ASSERT_NO_FATAL_FAILURE(disk.makeRoom(stores.pid()));
}

// A setting changed on a full disk reaches its file on its own within seconds of room coming
// back, with nothing else written, and a kill then keeps it.
TEST(FullDisk, AFailedSaveReachesItsFileOnItsOwnOnceThereIsRoom) {
    SmallDisk disk;
    SCOPED_TRACE(disk.isMounted() ? "a full tmpfs" : "a file-size limit");
    ASSERT_TRUE(QDir().mkpath(disk.path("data")) && QDir().mkpath(disk.path("config")));
    const QString settings = disk.path("config/defaults.ini");
    {
        Stores stores(disk);
        stores.command("set nivelo.early " + big("yes"));
        ASSERT_NO_FATAL_FAILURE(disk.fill(stores.pid()));
        EXPECT_EQ(stores.command("set nivelo.late yes").size(), 1);
        EXPECT_FALSE(read(settings).contains("nivelo.late"));
        ASSERT_NO_FATAL_FAILURE(disk.makeRoom(stores.pid()));
        QElapsedTimer waited;
        waited.start();
        EXPECT_TRUE(waitUntil([&] { return read(settings).contains("nivelo.late"); }, 10000))
            << "not written " << waited.elapsed() << " ms after room came back";
        ::kill(pid_t(stores.pid()), SIGKILL);
    }
    EXPECT_TRUE(Stores(disk).command("dump").contains("setting nivelo.late"));
}

// A kill during a long write of the history leaves its new file; the next start that holds the
// data folder removes those beside the stores' files (at the end of their links) and nothing
// else: no file the user keeps beside them whatever its name, no file named as older versions
// named theirs, no link, none a running write holds, none while another instance runs.
TEST(StoreLeftovers, WhatAKilledWriteLeftGoesAtTheNextStartAndNothingElse) {
    QTemporaryDir home;
    const auto at = [&](const QString& name) { return home.filePath(name); };
    for (const char* folder : {"data", "config", "repo"}) {
        ASSERT_TRUE(QDir().mkpath(at(folder)));
    }
    ASSERT_TRUE(QFile::link("../repo/history.ini", at("data/clipboard-history.ini")));
    const auto start = [&] {
        return std::make_unique<Stores>(at("data"), at("config/defaults.ini"));
    };
    const auto newFiles = [&] {
        return QDir(at("repo"))
            .entryList({".history.ini.nivelo-save-??????"},
                       QDir::Files | QDir::System | QDir::Hidden);
    };
    QString cut;
    {
        const auto killed = start();
        // A write that ends between the look and the stop is followed by the next copy's.
        for (int copy = 0; copy < 10 && cut.isEmpty(); ++copy) {
            killed->send(QString("copy %1 %2").arg(copy).arg(QString(8'000'000, 'x')));
            QElapsedTimer waited;
            waited.start();
            while (newFiles().isEmpty() && !waited.hasExpired(30000)) {
            }
            ::kill(pid_t(killed->pid()), SIGSTOP);
            if (const QStringList left = newFiles(); !left.isEmpty()) {
                ::kill(pid_t(killed->pid()), SIGKILL);
                cut = "repo/" + left.first();
            } else {
                ::kill(pid_t(killed->pid()), SIGCONT);
            }
        }
    }
    ASSERT_FALSE(cut.isEmpty());
    const struct {
        QString name;
        bool stays;
    } files[] = {
        {cut, false},
        {"config/.defaults.ini.nivelo-save-q1W2e3", false},
        {"data/.clipboard-notes.json.nivelo-save-Zz9aB0", false},
        {"data/.clipboard-notes.backup.json.nivelo-save-Zz9aB0", false},
        {"config/defaults.ini.backup", true},
        {"config/defaults.ini.241207", true},
        {"data/clipboard-history.ini.backup", true},
        {"data/clipboard-history.ini.before", true},
        {"repo/history.ini.before", true},
        {"data/clipboard-notes.json.backup", true},
        {"data/clipboard-notes.json.copy01", true},
        {"config/defaults.ini.q1W2e3", true},
        {"repo/history.ini.abc123", true},
        {"repo/.history.ini.nivelo-save-abc12", true},
        {"repo/.other.ini.nivelo-save-abc123", true},
        {"data/.clipboard-history.ini.nivelo-save-abc123", true},
        {"repo/.history.ini.nivelo-save-link12", true},
        {"repo/.history.ini.nivelo-save-held12", true},
    };
    for (const auto& file : files) {
        if (file.name.contains("link")) {
            ASSERT_TRUE(QFile::link("history.ini", at(file.name)));
        } else if (file.name != cut) {
            QFile made(at(file.name));
            ASSERT_TRUE(made.open(QIODevice::WriteOnly));
        }
    }
    QFile held(at("repo/.history.ini.nivelo-save-held12"));
    ASSERT_TRUE(held.open(QIODevice::ReadOnly) && ::flock(held.handle(), LOCK_EX) == 0);

    const auto restarted = start();
    restarted->command("dump");
    for (const auto& file : files) {
        EXPECT_EQ(QFileInfo(at(file.name)).isSymLink() || QFile::exists(at(file.name)), file.stays)
            << file.name.toStdString();
    }
    // A second instance leaves the files of the one that runs alone.
    QFile again(at(cut));
    ASSERT_TRUE(again.open(QIODevice::WriteOnly));
    start()->command("dump");
    EXPECT_TRUE(QFile::exists(at(cut)));
}
