#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/IniDefaults.h"
#include "platform/MemoryDefaults.h"

namespace {

const QDateTime kWhen(QDate(2026, 3, 4), QTime(5, 6, 7, 890), Qt::UTC);

// Only a stored date reads as one: texts, numbers and data that look like dates do not.
void store(Defaults& d) {
    d.setDate("nivelo.date", kWhen);
    d.setString("nivelo.dateText", kWhen.toString(Qt::ISODateWithMs));
    d.setInteger("nivelo.number", kWhen.toSecsSinceEpoch());
    d.setData("nivelo.data", kWhen.toString(Qt::ISODate).toUtf8());
    d.set("nivelo.invalid", QVariant(QDateTime()));
}

void expectOnlyTheDate(const Defaults& d) {
    EXPECT_EQ(d.dateValue("nivelo.date"), kWhen);
    for (const char* key :
         {"nivelo.dateText", "nivelo.number", "nivelo.data", "nivelo.invalid", "nivelo.none"}) {
        EXPECT_FALSE(d.dateValue(key).has_value()) << key;
    }
}

}  // namespace

TEST(DefaultsDate, OnlyAStoredDateReadsAsOneInMemoryAndThroughTheIniFile) {
    MemoryDefaults memory;
    store(memory);
    expectOnlyTheDate(memory);

    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.ini");
    {
        IniDefaults written(path);
        store(written);
        written.sync();
    }
    expectOnlyTheDate(IniDefaults(path));

    // A hand-edited file with a date as plain text holds nothing back either.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("nivelo.handEdited=2026-03-04T05:06:07Z\n");
    file.close();
    EXPECT_FALSE(IniDefaults(path).dateValue("nivelo.handEdited").has_value());
}
