#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <limits>

#include "platform/IniDefaults.h"
#include "platform/MemoryDefaults.h"

// The readings agree between a typed store and one read back from a file as text; data and
// text stay apart in both directions.
TEST(Defaults, TypedAndFileReadingsAgreeAndSurviveAReopen) {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.ini");
    MemoryDefaults memory;
    {
        IniDefaults file(path);
        for (Defaults* d : std::initializer_list<Defaults*>{&memory, &file}) {
            d->setBool("nivelo.off", false);
            d->setInteger("nivelo.count", 42);
            d->setString("nivelo.text", "Русская — ПК");
            d->setData("nivelo.data", QByteArray("[\"ai\"]"));
            d->setString("nivelo.jsonText", "[\"ai\"]");
            d->remove("nivelo.count");
        }
        file.sync();
    }
    IniDefaults reopened(path);
    for (Defaults* d : std::initializer_list<Defaults*>{&memory, &reopened}) {
        EXPECT_FALSE(d->hasObject("nivelo.count"));
        EXPECT_TRUE(d->hasObject("nivelo.off"));
        EXPECT_FALSE(d->boolValue("nivelo.off"));
        EXPECT_EQ(d->stringValue("nivelo.text").value_or(""), QString("Русская — ПК"));
        EXPECT_EQ(d->dataValue("nivelo.data").value_or(""), QByteArray("[\"ai\"]"));
        EXPECT_FALSE(d->stringValue("nivelo.data").has_value());
        EXPECT_FALSE(d->dataValue("nivelo.jsonText").has_value());
    }
}

// Numbers stored as text; numbers beyond 64 bits read as the nearest end.
TEST(Defaults, TextReadingsOfFlagsAndNumbers) {
    MemoryDefaults d;
    constexpr qint64 top = std::numeric_limits<qint64>::max();
    constexpr qint64 bottom = std::numeric_limits<qint64>::min();
    const std::vector<std::pair<QVariant, qint64>> cases{
        {QStringLiteral("99999999999999999999"), top},
        {QVariant(std::numeric_limits<quint64>::max()), top},
        {QStringLiteral("-2.9"), -2},
        {QStringLiteral("nan"), 0},
    };
    for (const auto& [stored, expected] : cases) {
        d.set("nivelo.number", stored);
        EXPECT_EQ(d.integerValue("nivelo.number"), expected) << stored.toString().toStdString();
    }
}
