#include <gtest/gtest.h>

#include "capture/KeyboardLayoutService.h"
#include "core/NiveloSettings.h"
#include "support/SimulatedInputSources.h"

using Sources = SimulatedInputSources;

namespace {
QString switchError(KeyboardLayoutService& service, const QString& name) {
    try {
        service.switchLayout(name);
    } catch (const KeyboardLayoutError& e) {
        return e.description();
    }
    return {};
}

struct FixCase {
    const char *text, *latin, *native, *expected;
    bool toLatin;
    const char* target;
};

// Fixes every text with these layouts enabled.
void expectFixes(const QList<Sources::Layout>& layouts, std::initializer_list<FixCase> cases) {
    Sources sources;
    for (const Sources::Layout& layout : layouts) {
        sources.addLayout(layout);
    }
    KeyboardLayoutService service(sources);
    for (const FixCase& c : cases) {
        SCOPED_TRACE(c.text);
        const auto r = service.fix(QString::fromUtf8(c.text), QString::fromUtf8(c.latin),
                                   QString::fromUtf8(c.native));
        EXPECT_EQ(r.text, QString::fromUtf8(c.expected));
        EXPECT_EQ(r.convertedToLatin, c.toLatin);
        EXPECT_EQ(r.targetLayoutName, QString::fromUtf8(c.target));
    }
}
}  // namespace

// No enabled layouts: the fix runs on the built-in rows.
TEST(LayoutFix, FallbackRowsConvertBothWays) {
    expectFixes(
        {}, {{"ghbdtn", "", "", "привет", false, "Русская — ПК"},
             {"руддщ", "", "", "hello", true, "ABC"},
             // punctuation follows its key
             {"Ghbdtn, rfr ltkf?", "", "", "Приветб как дела,", false, "Русская — ПК"},
             // a tie (one character of each map) and unmapped text (digits) go to the native one
             {"fа", "Latin", "Native", "аа", false, "Native"},
             {"2026", "", "", "2026", false, "Русская — ПК"},
             // a Ukrainian native name takes the Ukrainian row
             {"]s'", "", "Ukrainian", "їіє", false, "Ukrainian"},
             {"]s'", "", "Russian", "ъыэ", false, "Russian"},
             {"їіє", "", "ukrainian", "]s'", true, "ABC"}});
}

TEST(LayoutFix, TakesTheLayoutNamesFromTheSettings) {
    Sources none;
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

// "@" and "#" differ on the digit row of the system layouts, not in the built-in rows.
TEST(LayoutFix, SystemMapsTakeTheLayoutsNames) {
    expectFixes({Sources::usLayout(), Sources::russianLayout()},
                {{"ghbdtn@#", "U.S.", "Russian", "привет\"№", false, "Russian"},
                 // the defaults find both layouts by family
                 {"Руддщ№", "", "", "Hello#", true, "U.S."}});
}

// "ABC" is not enabled: the latin layout is the first that passes the latin test.
TEST(LayoutFix, RussianIsNeverTakenForTheLatinLayout) {
    expectFixes({Sources::russianLayout(), Sources::usLayout("English (US)", "xkb.layout.us")},
                {{"руддщ", "ABC", "Russian", "hello", true, "English (US)"}});
}

// A native layout typing like the latin one but for one digit key, or one without key data.
TEST(LayoutFix, SystemMapsThatChangeNothingFallBackToTheRows) {
    Sources::Layout twin = Sources::usLayout("Twin", "xkb.twin");
    twin.shifted[18] = QStringLiteral("¡");
    expectFixes({Sources::usLayout(), twin}, {{"ghbdtn", "U.S.", "Twin", "привет", false, "Twin"}});
    expectFixes({Sources::usLayout(), Sources::bareLayout("Russian", "xkb.layout.ru")},
                {{"ghbdtn@", "U.S.", "Russian", "привет@", false, "Russian"}});
}

TEST(LayoutFix, MapsAreBuiltOncePerPairOfLayouts) {
    Sources sources;
    sources.addLayout(Sources::usLayout());
    sources.addLayout(Sources::russianLayout());
    sources.addLayout(Sources::russianLayout("Russian (phonetic)", "xkb.ru.ph"));
    KeyboardLayoutService service(sources);
    service.fix("ghbdtn", "U.S.", "Russian");
    EXPECT_EQ(sources.translateCalls, 512);
    service.fix("ghbdtn", "U.S.", "Russian");
    EXPECT_EQ(sources.translateCalls, 512);
    service.fix("ghbdtn", "U.S.", "Russian (phonetic)");
    EXPECT_EQ(sources.translateCalls, 1024);
}

TEST(LayoutLatin, UsCountsOnlyAsAWholeWord) {
    const std::pair<InputSource, bool> cases[] = {{{"xkb.layout.us+intl", "English (intl.)"}, true},
                                                  {{"x", "ABC Extended"}, true},
                                                  {{"x", "Serbian (Latin)"}, true},
                                                  {{"x", "Romanian"}, true},  // "roman" as a part
                                                  {{"xkb.layout.ru", "Russian"}, false},
                                                  {{"xkb.layout.by", "Belarusian"}, false}};
    for (const auto& [source, latin] : cases) {
        EXPECT_EQ(KeyboardLayoutService::isLatin(source), latin) << source.name.toStdString();
    }
}

TEST(LayoutLookup, ExactNameWinsThenAPartThenTheFamily) {
    const QList<InputSource> sources{{"xkb.layout.us", "English (US)"},
                                     {"xkb.layout.ru+phonetic", "Russian (phonetic)"},
                                     {"xkb.layout.ru", "Russian"},
                                     {"xkb.layout.ua", "Ukrainian"}};
    const std::pair<const char*, const char*> cases[] = {
        {" russian ", "xkb.layout.ru"},
        {"XKB.LAYOUT.UA", "xkb.layout.ua"},
        {"phonetic", "xkb.layout.ru+phonetic"},
        {"Русская — ПК", "xkb.layout.ru+phonetic"},  // first by family
        {"Українська", "xkb.layout.ua"},
        {"ABC", "xkb.layout.us"},
        {"U.S.", "xkb.layout.us"},
        {"Greek", "<none>"},
        {"  \n", "<none>"}};
    for (const auto& [name, id] : cases) {
        const auto s = KeyboardLayoutService::findSource(QString::fromUtf8(name), sources);
        EXPECT_EQ(s ? s->id : QStringLiteral("<none>"), id) << name;
    }
    EXPECT_FALSE(KeyboardLayoutService::findSource("ABC", {}));
    EXPECT_FALSE(KeyboardLayoutService::findSource("Belarusian", {{"xkb.layout.us", "U.S."}}));
}

TEST(LayoutSwitch, SelectsByLenientNameAndRetriesThreeTimes) {
    Sources sources;
    sources.addLayout(Sources::usLayout());
    sources.addLayout(Sources::russianLayout("Russian (PC)", "xkb.layout.ru"));
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

    sources.selectCalls = 0;
    EXPECT_EQ(switchError(service, "Greek"), "Keyboard layout not found: Greek");
    EXPECT_EQ(switchError(service, ""), "Keyboard layout not found: ");
    EXPECT_EQ(sources.selectCalls, 0);
}

TEST(LayoutSwitch, CurrentNameIsAbsentWhenTheSystemDoesNotSay) {
    Sources sources;
    EXPECT_EQ(KeyboardLayoutService(sources).currentLayoutName(), std::nullopt);
    sources.addLayout(Sources::usLayout());
    sources.currentUnknown = true;
    EXPECT_EQ(KeyboardLayoutService(sources).currentLayoutName(), std::nullopt);
}

TEST(LayoutSuggestion, FirstLatinAndFirstNativeInSystemOrder) {
    Sources sources;
    KeyboardLayoutService service(sources);
    EXPECT_EQ(service.suggestion(),
              (KeyboardLayoutSuggestion{
                  "ABC", "Русская — ПК", {"ABC", "U.S.", "Русская — ПК", "Russian"}}));

    sources.addLayout(Sources::russianLayout());
    sources.addLayout(Sources::usLayout("English (US)", "xkb.layout.us"));
    sources.addLayout(Sources::bareLayout("Ukrainian", "xkb.layout.ua"));
    EXPECT_EQ(service.suggestion(),
              (KeyboardLayoutSuggestion{
                  "English (US)", "Russian", {"Russian", "English (US)", "Ukrainian"}}));

    Sources onlyLatin;
    onlyLatin.addLayout(Sources::usLayout());
    EXPECT_EQ(KeyboardLayoutService(onlyLatin).suggestion().nativeLayoutName, "Русская — ПК");
}
