#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/AppPaths.h"

namespace {

int modeOf(const QString& path) {
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

}  // namespace

// Folders 0700, files in them tightened to the owner at the first use; with no location named,
// a folder of the user's own in the temporary folder, never one someone else made.
TEST(AppPaths, FoldersAndFilesAreTheOwnersOnly) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("data/ai.nivelo.native");
    ASSERT_TRUE(QDir().mkpath(folder));
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    QFile old(folder + "/clipboard-notes.json");
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.close();
    ::chmod(QFile::encodeName(old.fileName()).constData(), 0644);
    ASSERT_TRUE(AppPaths::makePrivateFolder(folder));
    EXPECT_EQ(modeOf(folder), 0700);
    EXPECT_EQ(modeOf(old.fileName()), 0600);

    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", dir.path().toUtf8());
    const QString mine = dir.filePath(QStringLiteral("ai.nivelo.native-%1").arg(::getuid()));
    EXPECT_EQ(AppPaths::userTemporaryDir(), mine);
    EXPECT_EQ(modeOf(mine), 0700);
    // Taken by another user (only root can stage that).
    if (::chown(QFile::encodeName(mine).constData(), 65534, 65534) == 0) {
        const QString other = AppPaths::userTemporaryDir();
        EXPECT_NE(other, mine);
        EXPECT_TRUE(other.startsWith(mine + "-")) << other.toStdString();
        EXPECT_EQ(modeOf(other), 0700);
    }
    savedTmp.isNull() ? void(qunsetenv("TMPDIR")) : void(qputenv("TMPDIR", savedTmp));
}
