#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <filesystem>
#include <thread>

#include "platform/AtomicFile.h"

namespace {

namespace fs = std::filesystem;

struct Node {
    qint64 inode = -1;
    int mode = -1;
    QByteArray bytes;
};

Node nodeOf(const QString& path) {
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return {};
    }
    QFile file(path);
    return {qint64(info.st_ino), int(info.st_mode & 0777),
            file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray()};
}

// Every file and link under the folder, as paths inside it.
QStringList tree(const QString& root) {
    QStringList out;
    QDirIterator it(root, QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        out << QDir(root).relativeFilePath(it.next());
    }
    out.sort();
    return out;
}

}  // namespace

// A write to a link replaces the file at the end of its chain with a new owner-only file and
// leaves the link; a link to nowhere gets its file where it points when that folder exists.
// Nothing else is made, anywhere.
TEST(AtomicFile, ALinkStaysAndTheFileItLeadsToIsReplacedWhole) {
    const struct {
        const char* name;
        // Link name and what it holds, made in this order in "home"; "repo/file" holds "old".
        std::vector<std::pair<const char*, const char*>> links;
        bool written;
        const char* holder;  // the file that ends up with the bytes
        QStringList files;
    } cases[] = {
        {"plain", {}, true, "home/file", {"home/file", "repo/file"}},
        {"absolute", {{"file", "@/repo/file"}}, true, "repo/file", {"home/file", "repo/file"}},
        {"relative", {{"file", "../repo/file"}}, true, "repo/file", {"home/file", "repo/file"}},
        {"chain",
         {{"next", "../repo/file"}, {"file", "next"}},
         true,
         "repo/file",
         {"home/file", "home/next", "repo/file"}},
        {"to nowhere",
         {{"file", "../repo/new"}},
         true,
         "repo/new",
         {"home/file", "repo/file", "repo/new"}},
        {"into no folder", {{"file", "../gone/new"}}, false, "", {"home/file", "repo/file"}},
        {"loop",
         {{"file", "other"}, {"other", "file"}},
         false,
         "",
         {"home/file", "home/other", "repo/file"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        ASSERT_TRUE(QDir().mkpath(dir.filePath("home")) && QDir().mkpath(dir.filePath("repo")));
        QFile old(dir.filePath("repo/file"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        ASSERT_TRUE(old.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                       QFile::ReadOther));
        if (c.links.empty()) {
            ASSERT_TRUE(QFile::copy(old.fileName(), dir.filePath("home/file")));
        }
        for (const auto& [name, to] : c.links) {
            const QString target = QString(to).replace('@', dir.path());
            fs::create_symlink(target.toStdString(),
                               dir.filePath(QStringLiteral("home/") + name).toStdString());
        }
        const Node before = nodeOf(dir.filePath(c.holder));

        EXPECT_EQ(atomicFile::write(dir.filePath("home/file"), "new bytes"), c.written);
        EXPECT_EQ(tree(dir.path()), c.files);
        for (const auto& [name, to] : c.links) {
            const QString target = QString(to).replace('@', dir.path());
            std::error_code error;
            EXPECT_EQ(
                fs::read_symlink(dir.filePath(QStringLiteral("home/") + name).toStdString(), error),
                target.toStdString())
                << name;
        }
        if (c.written) {
            const Node after = nodeOf(dir.filePath(c.holder));
            EXPECT_EQ(after.bytes, "new bytes");
            EXPECT_EQ(after.mode, 0600);
            EXPECT_NE(after.inode, before.inode) << "written in place";
        } else {
            EXPECT_EQ(nodeOf(dir.filePath("repo/file")).bytes, "old");
        }
    }
}

// A start's removal of leftovers, running in a tight loop beside writes of the same file, never
// takes a write's new file: every write reaches the disk.
TEST(AtomicFile, ACleanerBesideWritesLosesNoWrite) {
    QTemporaryDir dir;
    const QString path = dir.filePath("store.ini");
    std::atomic<bool> writing = true;
    std::thread cleaner([&] {
        while (writing) {
            atomicFile::removeLeftovers(path);
        }
    });
    int failed = 0;
    constexpr int kWrites = 3000;
    for (int write = 0; write < kWrites; ++write) {
        failed += atomicFile::write(path, QByteArray::number(write)) ? 0 : 1;
    }
    writing = false;
    cleaner.join();
    EXPECT_EQ(failed, 0) << "of " << kWrites;
    EXPECT_EQ(nodeOf(path).bytes, QByteArray::number(kWrites - 1));
    EXPECT_EQ(tree(dir.path()), QStringList{"store.ini"});
}
