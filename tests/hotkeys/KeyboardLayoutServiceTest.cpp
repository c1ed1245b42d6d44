#include <gtest/gtest.h>

#include "capture/KeyboardLayoutService.h"
#include "core/NiveloSettings.h"
#include "support/SimulatedInputSources.h"

using Layout = SimulatedInputSources::Layout;

namespace {
QString describe(const KeyboardLayoutError& e) {
    return e.description();
}

QString switchError(KeyboardLayoutService& service, const QString& name) {
    try {
        service.switchLayout(name);
    } catch (const KeyboardLayoutError& e) {
        return describe(e);
    }
    return {};
}
}  // namespace

// No enabled layouts: the fix runs on the built-in rows.
TEST(LayoutFix, FallbackRowsConvertBothWays) {
    SimulatedInputSources none;
    KeyboardLayoutService service(none);

    const auto toNative = service.fix("ghbdtn", "", "");
    EXPECT_EQ(toNative.text, "привет");
    EXPECT_FALSE(toNative.convertedToLatin);
    EXPECT_EQ(toNative.targetLayoutName, "Русская — ПК");

    const auto toLatin = service.fix("руддщ", "", "");
    EXPECT_EQ(toLatin.text, "hello");
    EXPECT_TRUE(toLatin.convertedToLatin);
    EXPECT_EQ(toLatin.targetLayoutName, "ABC");
}

TEST(LayoutFix, PunctuationFollowsItsKeyAndDigitsStay) {
    SimulatedInputSources none;
    KeyboardLayoutService service(none);
    EXPECT_EQ(service.fix("Ghbdtn, rfr ltkf?", "", "").text, "Приветб как дела,");
    EXPECT_EQ(service.fix("ghbdtn 123", "", "").text, "привет 123");
}

TEST(LayoutFix, TieAndUnmappedTextGoToTheNativeLayout) {
    SimulatedInputSources none;
    KeyboardLayoutService service(none);
    // one latin-map character, one native-map character
    const auto tie = service.fix("fа", "Latin", "Native");
    EXPECT_EQ(tie.text, "аа");
    EXPECT_EQ(tie.targetLayoutName, "Native");

    const auto digits = service.fix("2026", "", "");
    EXPECT_EQ(digits.text, "2026");
    EXPECT_FALSE(digits.convertedToLatin);
    EXPECT_EQ(digits.targetLayoutName, "Русская — ПК");
}

TEST(LayoutFix, UkrainianNativeNameUsesTheUkrainianRow) {
    SimulatedInputSources none;
    KeyboardLayoutService service(none);
    EXPECT_EQ(service.fix("]s'", "", "Ukrainian").text, "їіє");
    EXPECT_EQ(service.fix("]s'", "", "Українська").text, "їіє");
    EXPECT_EQ(service.fix("]s'", "", "Russian").text, "ъыэ");
    EXPECT_EQ(service.fix("їіє", "", "ukrainian").text, "]s'");
}

TEST(LayoutFix, SystemMapsTakeTheLayoutsNames) {
    SimulatedInputSources sources;
    sources.addLayout(SimulatedInputSources::usLayout("U.S.", "xkb.layout.us"));
    sources.addLayout(SimulatedInputSources::russianLayout("Russian", "xkb.layout.ru"));
    KeyboardLayoutService service(sources);

    // "@" and "#" differ on the digit row of the system layouts, not in the built-in rows.
    const auto native = service.fix("ghbdtn@#", "U.S.", "Russian");
    EXPECT_EQ(native.text, "привет\"№");
    EXPECT_EQ(native.targetLayoutName, "Russian");

    const auto latin = service.fix("Руддщ№", "", "");  // defaults find both by family
    EXPECT_EQ(latin.text, "Hello#");
    EXPECT_TRUE(latin.convertedToLatin);
    EXPECT_EQ(latin.targetLayoutName, "U.S.");
}

TEST(LayoutFix, MapsAreBuiltOncePerPairOfLayouts) {
    SimulatedInputSources sources;
    sources.addLayout(SimulatedInputSources::usLayout());
    sources.addLayout(SimulatedInputSources::russianLayout());
    sources.addLayout(SimulatedInputSources::russianLayout("Russian (phonetic)", "xkb.ru.ph"));
    KeyboardLayoutService service(sources);

    service.fix("ghbdtn", "U.S.", "Russian");
    const int afterFirst = sources.translateCalls;
    EXPECT_EQ(afterFirst, 512);
    service.fix("ghbdtn", "U.S.", "Russian");
    EXPECT_EQ(sources.translateCalls, afterFirst);
    service.fix("ghbdtn", "U.S.", "Russian (phonetic)");
    EXPECT_EQ(sources.translateCalls, 2 * afterFirst);
}

TEST(LayoutFix, UnchangedSystemConversionFallsBackToTheRows) {
    SimulatedInputSources sources;
    sources.addLayout(SimulatedInputSources::usLayout());
    // A "native" layout that types the same as the latin one except for one digit key.
    Layout twin = SimulatedInputSources::usLayout("Twin", "xkb.twin");
    twin.shifted[18] = QStringLiteral("¡");
    sources.addLayout(twin);
    KeyboardLayoutService service(sources);

    const auto r = service.fix("ghbdtn", "U.S.", "Twin");
    EXPECT_EQ(r.text, "привет");  // the built-in Russian row
    EXPECT_EQ(r.targetLayoutName, "Twin");
}

TEST(LayoutFix, LayoutWithoutKeyDataUsesTheRows) {
    SimulatedInputSources sources;
    sources.addLayout(SimulatedInputSources::usLayout());
    sources.addLayout(SimulatedInputSources::bareLayout("Russian", "xkb.layout.ru"));
    KeyboardLayoutService service(sources);
    const auto r = service.fix("ghbdtn@", "U.S.", "Russian");
    EXPECT_EQ(r.text, "привет@");
    EXPECT_EQ(r.targetLayoutName, "Russian");
}

TEST(LayoutLatinTest, UsCountsOnlyAsAWholeWord) {
    EXPECT_TRUE(KeyboardLayoutService::isLatin({"xkb.layout.us", "English (US)"}));
    EXPECT_TRUE(KeyboardLayoutService::isLatin({"com.x.keylayout.US", "U.S."}));
    EXPECT_TRUE(KeyboardLayoutService::isLatin({"xkb.layout.us+intl", "English (intl.)"}));
    EXPECT_TRUE(KeyboardLayoutService::isLatin({"x", "ABC Extended"}));
    EXPECT_TRUE(KeyboardLayoutService::isLatin({"x", "Serbian (Latin)"}));
    EXPECT_TRUE(KeyboardLayoutService::isLatin({"x", "Romanian"}));  // "roman" as a part
    EXPECT_FALSE(KeyboardLayoutService::isLatin({"xkb.layout.ru", "Russian"}));
    EXPECT_FALSE(KeyboardLayoutService::isLatin({"xkb.layout.by", "Belarusian"}));
    EXPECT_FALSE(KeyboardLayoutService::isLatin({"xkb.layout.ua", "Ukrainian"}));
}

TEST(LayoutLookup, ExactNameWinsThenAPartThenTheFamily) {
    const QList<InputSource> sources{{"xkb.layout.us", "English (US)"},
                                     {"xkb.layout.ru+phonetic", "Russian (phonetic)"},
                                     {"xkb.layout.ru", "Russian"},
                                     {"xkb.layout.ua", "Ukrainian"}};
    const auto find = [&](const QString& name) {
        const auto s = KeyboardLayoutService::findSource(name, sources);
        return s ? s->id : QStringLiteral("<none>");
    };
    EXPECT_EQ(find(" russian "), "xkb.layout.ru");
    EXPECT_EQ(find("XKB.LAYOUT.UA"), "xkb.layout.ua");
    EXPECT_EQ(find("phonetic"), "xkb.layout.ru+phonetic");
    EXPECT_EQ(find("Русская — ПК"), "xkb.layout.ru+phonetic");  // first by family
    EXPECT_EQ(find("Українська"), "xkb.layout.ua");
    EXPECT_EQ(find("ABC"), "xkb.layout.us");
    EXPECT_EQ(find("U.S."), "xkb.layout.us");
    EXPECT_EQ(find("Greek"), "<none>");
    EXPECT_EQ(find(""), "<none>");
    EXPECT_EQ(find("  \n"), "<none>");
    EXPECT_FALSE(KeyboardLayoutService::findSource("ABC", {}));
}

TEST(LayoutLookup, RussianIsNeverTakenForTheLatinLayout) {
    SimulatedInputSources sources;
    sources.addLayout(SimulatedInputSources::russianLayout());
    sources.addLayout(SimulatedInputSources::usLayout("English (US)", "xkb.layout.us"));
    KeyboardLayoutService service(sources);
    // "ABC" is not enabled: the latin layout is the first that passes the latin test.
    const auto r = service.fix("руддщ", "ABC", "Russian");
    EXPECT_EQ(r.text, "hello");
    EXPECT_EQ(r.targetLayoutName, "English (US)");
    EXPECT_EQ(KeyboardLayoutService::findSource("Belarusian", {{"xkb.layout.us", "U.S."}}),
              std::nullopt);
}

TEST(LayoutSwitch, SelectsByLenientNameAndRetriesThreeTimes) {
    SimulatedInputSources sources;
    sources.addLayout(SimulatedInputSources::usLayout());
    sources.addLayout(SimulatedInputSources::russianLayout("Russian (PC)", "xkb.layout.ru"));
    KeyboardLayoutService service(sources);

    EXPECT_EQ(switchError(service, "russian"), "");
    EXPECT_EQ(sources.currentId(), "xkb.layout.ru");
    EXPECT_EQ(service.currentLayoutName(), "Russian (PC)");

    sources.failingSelects = 2;
    EXPECT_EQ(switchError(service, "U.S."), "");
    EXPECT_EQ(sources.currentId(), "xkb.layout.us");

    sources.failingSelects = 3;
    sources.selectCalls = 0;
    EXPECT_EQ(switchError(service, "Russian (PC)"),
              "Could not switch keyboard layout to Russian (PC): -50");
    EXPECT_EQ(sources.selectCalls, 3);
    EXPECT_EQ(sources.currentId(), "xkb.layout.us");
}

TEST(LayoutSwitch, UnknownOrBlankNameIsNotFound) {
    SimulatedInputSources sources;
    sources.addLayout(SimulatedInputSources::usLayout());
    KeyboardLayoutService service(sources);
    EXPECT_EQ(switchError(service, "Greek"), "Keyboard layout not found: Greek");
    EXPECT_EQ(switchError(service, ""), "Keyboard layout not found: ");
    EXPECT_EQ(sources.selectCalls, 0);
}

TEST(LayoutSwitch, CurrentNameIsAbsentWhenTheSystemDoesNotSay) {
    SimulatedInputSources sources;
    KeyboardLayoutService service(sources);
    EXPECT_EQ(service.currentLayoutName(), std::nullopt);
    sources.addLayout(SimulatedInputSources::usLayout());
    sources.currentUnknown = true;
    EXPECT_EQ(service.currentLayoutName(), std::nullopt);
}

TEST(LayoutSuggestion, FirstLatinAndFirstNativeInSystemOrder) {
    SimulatedInputSources sources;
    KeyboardLayoutService service(sources);
    EXPECT_EQ(service.suggestion(),
              (KeyboardLayoutSuggestion{
                  "ABC", "Русская — ПК", {"ABC", "U.S.", "Русская — ПК", "Russian"}}));

    sources.addLayout(SimulatedInputSources::russianLayout());
    sources.addLayout(SimulatedInputSources::usLayout("English (US)", "xkb.layout.us"));
    sources.addLayout(SimulatedInputSources::bareLayout("Ukrainian", "xkb.layout.ua"));
    EXPECT_EQ(service.suggestion(),
              (KeyboardLayoutSuggestion{
                  "English (US)", "Russian", {"Russian", "English (US)", "Ukrainian"}}));

    SimulatedInputSources onlyLatin;
    onlyLatin.addLayout(SimulatedInputSources::usLayout());
    EXPECT_EQ(KeyboardLayoutService(onlyLatin).suggestion().nativeLayoutName, "Русская — ПК");
}

TEST(LayoutFix, TakesTheLayoutNamesFromTheSettings) {
    SimulatedInputSources none;
    KeyboardLayoutService service(none);
    NiveloSettings settings;
    settings.layoutLatinSource = "English";
    settings.layoutNativeSource = "Українська";
    const auto r = service.fix("ghbdsn", settings);
    EXPECT_EQ(r.text, "привіт");
    EXPECT_EQ(r.targetLayoutName, "Українська");
    settings.layoutNativeSource = "";
    EXPECT_EQ(service.fix("ghbdtn", settings).targetLayoutName, "Русская — ПК");
    EXPECT_EQ(service.fix("руддщ", settings).targetLayoutName, "English");
}
