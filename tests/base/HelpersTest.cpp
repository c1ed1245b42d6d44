#include <gtest/gtest.h>

#include "base/Json.h"
#include "base/Text.h"

TEST(Text, TrimsAnySpaceAndCountsGraphemes) {
    EXPECT_EQ(text::trimmed(" \n\t hi there \r\n\u2028\u00a0"), QString("hi there"));
    EXPECT_EQ(text::graphemeCount(QString::fromUtf8("ab👍🏽é👨‍👩‍👧")), 5);
}

TEST(Text, StrictIntegerParse) {
    EXPECT_EQ(text::parseStrictInt("-7"), -7);
    EXPECT_EQ(text::parseStrictInt("+7"), 7);
    for (const char* bad : {"", " 4", "4.0", "1e3", "+", "0x10", "99999999999999999999"}) {
        EXPECT_FALSE(text::parseStrictInt(bad).has_value()) << bad;
    }
}

TEST(Json, ListDecodingIsAllOrNothing) {
    auto decodeName = [](const Json& e) -> std::optional<QString> {
        return json::requiredString(e, "name");
    };
    EXPECT_EQ(json::decodeList<QString>(R"([{"name":"a"},{"name":"b","x":1}])", decodeName),
              (QList<QString>{"a", "b"}));
    EXPECT_FALSE(json::decodeList<QString>(R"([{"name":"a"},{"nam":"b"}])", decodeName));
    EXPECT_FALSE(json::decodeList<QString>(R"({"name":"a"})", decodeName));
}
