#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "platform/AtomicFile.h"
#include "platform/IniDefaults.h"
#include "platform/IniText.h"

namespace {

QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int modeOf(const QString& path) {
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

}  // namespace

// Files written today load as before: for every kind of value the stores keep, and the odd
// ones a hand-edited file may hold, the bytes are those QSettings writes.
TEST(IniText, WritesTheBytesQSettingsWrites) {
    const QMap<QString, QVariant> values{
        {"nivelo.text", QString("Русская — ПК, 10\u00a0000 «x»; a=b \"q\" \\ \t\n\r\x01"
                                "1 👍 ")},
        {"nivelo.lead", QString(" lead")},
        {"nivelo.at", QString("@at")},
        {"nivelo.atData", QString("@ByteArray(ü)")},
        {"nivelo.empty", QString()},
        {"nivelo.data", QByteArray("[\"ai\",\"é\"]\0\x01"
                                   "9\xff)",
                                   16)},
        {"nivelo.noData", QByteArray()},
        {"nivelo.allBytes",
         [] {
             QByteArray bytes;
             for (int b = 0; b < 256; ++b) {
                 bytes += char(b);
             }
             return bytes + QByteArray(
                                "\0a\x01"
                                "F\x7f"
                                "b;",
                                8);
         }()},
        {"nivelo.flag", true},
        {"nivelo.count", qint64(-1234567890123)},
        {"nivelo.width", 412.5},
        {"nivelo.tiny", 1e-7},
        {"nivelo.date", QDateTime({2026, 3, 4}, {5, 6, 7, 890}, Qt::UTC)},
        {"nivelo.list", QStringList{"a", "b,c"}},
        {"nivelo.noList", QStringList{}},
        {"Upper.Key", 1},
        {"with space", 2},
        {"group/key", 3},
        {"general/key", 4},
        {"zz/key", QString("x")},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("qsettings.ini");
    {
        QSettings settings(path, QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            settings.setValue(it.key(), it.value());
        }
    }
    EXPECT_EQ(iniText::encode(values), read(path));
    EXPECT_EQ(iniText::encode({}), QByteArray());
}

// What is stored reads back after a reopen; the file is the owner's only and nothing else is
// left beside it.
TEST(IniText, DefaultsReplaceTheirFileWholeAndOwnerOnly) {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.ini");
    {
        IniDefaults defaults(path);
        defaults.setString("nivelo.text", "one");
        defaults.sync();
        EXPECT_FALSE(defaults.hasUnwrittenChanges());
        defaults.setData("nivelo.data", "two");
    }
    IniDefaults reopened(path);
    EXPECT_EQ(reopened.stringValue("nivelo.text"), QString("one"));
    EXPECT_EQ(reopened.dataValue("nivelo.data"), QByteArray("two"));
    EXPECT_EQ(modeOf(path), 0600);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"defaults.ini"});
    // A change nobody syncs is written from the next event-loop turn on, off this thread.
    reopened.setString("nivelo.later", "three");
    EXPECT_TRUE(reopened.hasUnwrittenChanges());
    QCoreApplication::processEvents();
    reopened.waitForWrite();
    EXPECT_FALSE(reopened.hasUnwrittenChanges());
    EXPECT_EQ(IniDefaults(path).stringValue("nivelo.later"), QString("three"));

    // A write that cannot be made leaves the old file and stays due.
    EXPECT_FALSE(atomicFile::write(dir.filePath("missing/file"), "x"));
    IniDefaults lost(dir.filePath("missing/defaults.ini"));
    lost.setString("nivelo.text", "kept");
    lost.sync();
    EXPECT_TRUE(lost.hasUnwrittenChanges());
    ASSERT_TRUE(QDir().mkpath(dir.filePath("missing")));
    lost.sync();
    EXPECT_FALSE(lost.hasUnwrittenChanges());
    EXPECT_EQ(IniDefaults(dir.filePath("missing/defaults.ini")).stringValue("nivelo.text"),
              QString("kept"));
}
