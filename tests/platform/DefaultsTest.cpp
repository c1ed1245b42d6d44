#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/IniDefaults.h"
#include "platform/MemoryDefaults.h"

namespace {

// The readings must agree between a typed store and one read back from a file as text.
void expectReadings(Defaults& d) {
    d.setBool("nivelo.flag", true);
    d.setBool("nivelo.off", false);
    d.setInteger("nivelo.count", 42);
    d.setString("nivelo.text", "Русская — ПК");
    d.setData("nivelo.data", QByteArray("[\"ai\"]"));
    d.setString("nivelo.jsonText", "[\"ai\"]");

    EXPECT_TRUE(d.boolValue("nivelo.flag"));
    EXPECT_FALSE(d.boolValue("nivelo.off"));
    EXPECT_TRUE(d.hasObject("nivelo.off"));
    EXPECT_FALSE(d.hasObject("nivelo.missing"));
    EXPECT_FALSE(d.boolValue("nivelo.missing"));
    EXPECT_EQ(d.integerValue("nivelo.count"), 42);
    EXPECT_EQ(d.integerValue("nivelo.missing"), 0);
    EXPECT_EQ(d.stringValue("nivelo.text").value_or(""), QString("Русская — ПК"));
    // Data and text stay apart in both directions.
    EXPECT_EQ(d.dataValue("nivelo.data").value_or(""), QByteArray("[\"ai\"]"));
    EXPECT_FALSE(d.stringValue("nivelo.data").has_value());
    EXPECT_FALSE(d.dataValue("nivelo.jsonText").has_value());
    EXPECT_EQ(d.stringValue("nivelo.jsonText").value_or(""), QString("[\"ai\"]"));
    d.remove("nivelo.flag");
    EXPECT_FALSE(d.hasObject("nivelo.flag"));
}

}  // namespace

TEST(Defaults, MemoryReadings) {
    MemoryDefaults d;
    expectReadings(d);
}

TEST(Defaults, IniReadingsSurviveAReopen) {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.ini");
    {
        IniDefaults d(path);
        expectReadings(d);
        d.sync();
    }
    IniDefaults reopened(path);
    EXPECT_FALSE(reopened.hasObject("nivelo.flag"));
    EXPECT_TRUE(reopened.hasObject("nivelo.off"));
    EXPECT_FALSE(reopened.boolValue("nivelo.off"));
    EXPECT_EQ(reopened.integerValue("nivelo.count"), 42);
    EXPECT_EQ(reopened.dataValue("nivelo.data").value_or(""), QByteArray("[\"ai\"]"));
    EXPECT_FALSE(reopened.dataValue("nivelo.jsonText").has_value());
    EXPECT_EQ(reopened.stringValue("nivelo.text").value_or(""), QString("Русская — ПК"));
}

// Numbers stored as text: see the range test.
TEST(Defaults, TextReadingsOfFlags) {
    MemoryDefaults d;
    d.setString("a", "YES");
    d.setString("b", "0");
    d.setString("c", "12.9");
    EXPECT_TRUE(d.boolValue("a"));
    EXPECT_FALSE(d.boolValue("b"));
    EXPECT_TRUE(d.boolValue("c"));
}
