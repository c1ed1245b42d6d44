#include <gtest/gtest.h>

#include "capture/KeyboardLayoutService.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11InputSources.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

namespace {
struct InputSourcesFixture : ::testing::Test {
    std::shared_ptr<X11Connection> connection = std::make_shared<X11Connection>();
    X11InputSources sources{connection};
};

// Neutral key codes of the letters of "ghbdtn".
const QList<quint16> kGhbdtn{5, 4, 11, 2, 17, 45};
}  // namespace

TEST_F(InputSourcesFixture, ListsTheSessionsLayoutsWithIdsAndNames) {
    const QList<InputSource> enabled = sources.enabledSources();
    ASSERT_EQ(enabled.size(), 2);
    EXPECT_EQ(enabled[0].id, "xkb.layout.us");
    EXPECT_EQ(enabled[1].id, "xkb.layout.ru");
    EXPECT_EQ(enabled[1].name, "Russian");
    EXPECT_FALSE(enabled[0].name.isEmpty());
}

TEST_F(InputSourcesFixture, SelectingALayoutLocksItsGroup) {
    ASSERT_EQ(sources.select("xkb.layout.ru"), 0);
    EXPECT_EQ(x11Session().currentLayoutGroup(), 1);
    ASSERT_TRUE(sources.currentSource());
    EXPECT_EQ(sources.currentSource()->id, "xkb.layout.ru");

    ASSERT_EQ(sources.select("xkb.layout.us"), 0);
    EXPECT_EQ(x11Session().currentLayoutGroup(), 0);
    EXPECT_EQ(sources.currentSource()->id, "xkb.layout.us");

    EXPECT_NE(sources.select("xkb.layout.de"), 0);
    EXPECT_EQ(x11Session().currentLayoutGroup(), 0);
}

TEST_F(InputSourcesFixture, TranslatesPhysicalKeysThroughTheLiveKeymap) {
    QString latin;
    QString cyrillic;
    for (quint16 key : kGhbdtn) {
        latin += sources.translateKey("xkb.layout.us", key, false);
        cyrillic += sources.translateKey("xkb.layout.ru", key, false);
    }
    EXPECT_EQ(latin.toStdString(), "ghbdtn");
    EXPECT_EQ(cyrillic.toStdString(), "привет");
    EXPECT_EQ(sources.translateKey("xkb.layout.ru", 41, false), QString::fromUtf8("ж"));
    EXPECT_EQ(sources.translateKey("xkb.layout.ru", 41, true), QString::fromUtf8("Ж"));
    EXPECT_EQ(sources.translateKey("xkb.layout.us", 18, true), "!");
    EXPECT_EQ(sources.translateKey("xkb.layout.us", 49, false), " ");
    // Keys that type nothing, and layouts that are not enabled.
    EXPECT_EQ(sources.translateKey("xkb.layout.us", 53, false), "");
    EXPECT_EQ(sources.translateKey("xkb.layout.de", 0, false), "");
    EXPECT_TRUE(sources.hasKeyMap("xkb.layout.ru"));
    EXPECT_FALSE(sources.hasKeyMap("xkb.layout.de"));
}

// The layout fix with the default layout names works on the system's real layouts.
TEST_F(InputSourcesFixture, TheLayoutFixUsesTheRealLayouts) {
    KeyboardLayoutService service(sources);
    const KeyboardLayoutFixResult result = service.fix("ghbdtn", QString(), QString());
    EXPECT_EQ(result.text, QString::fromUtf8("привет"));
    EXPECT_FALSE(result.convertedToLatin);

    const KeyboardLayoutFixResult back =
        service.fix(QString::fromUtf8("руддщ"), QString(), QString());
    EXPECT_EQ(back.text, "hello");
    EXPECT_TRUE(back.convertedToLatin);
}
