#include <gtest/gtest.h>

#include <QTextDocument>

#include "base/Json.h"
#include "base/Text.h"

TEST(Text, TrimsAnySpaceAndCountsGraphemes) {
    EXPECT_EQ(text::trimmed(" \n\t hi there \r\n\u2028\u00a0"), QString("hi there"));
    EXPECT_EQ(text::graphemeCount(QString::fromUtf8("ab👍🏽é👨‍👩‍👧")), 5);
}

// An editor's text keeps no-break spaces and U+2028; only the document's own paragraph
// separator becomes "\n". A document shows a text when setPlainText would leave it as it is.
TEST(Text, AnEditorsTextIsReadAsTypedAndComparedAsShown) {
    const QString stored = QStringLiteral("10\u00a0000\u2028a\u2029b\r\nc\rd\ne");
    QTextDocument document;
    document.setPlainText(stored);
    EXPECT_EQ(text::documentText(document), QStringLiteral("10\u00a0000\u2028a\nb\nc\nd\ne"));
    EXPECT_NE(document.toPlainText(), text::documentText(document));
    for (const QString& same : {stored, text::documentText(document)}) {
        EXPECT_TRUE(text::documentShows(document, same)) << same.toStdString();
    }
    for (const QString& other : {QStringLiteral("10 000\u2028a\nb\nc\nd\ne"),
                                 QStringLiteral("10\u00a0000\na\nb\nc\nd\ne"), QString()}) {
        EXPECT_FALSE(text::documentShows(document, other)) << other.toStdString();
    }
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
