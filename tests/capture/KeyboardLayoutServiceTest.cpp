#include <gtest/gtest.h>

#include "Fakes.h"
#include "capture/AppLayoutSwitchService.h"
#include "capture/KeyboardLayoutService.h"
#include "support/SimulatedInputSources.h"
#include "support/VirtualClock.h"

using Sources = SimulatedInputSources;

namespace {
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

// Without usable system maps the built-in rows convert; a tie or text without letters goes to
// the native layout; a Ukrainian native name takes the Ukrainian row. "@" differs on the
// system layouts' digit row only.
TEST(LayoutFix, SystemMapsElseTheBuiltInRows) {
    expectFixes({}, {{"Ghbdtn, rfr ltkf?", "", "", "Приветб как дела,", false, "Русская — ПК"},
                     {"руддщ", "", "", "hello", true, "ABC"},
                     {"fа", "Latin", "Native", "аа", false, "Native"},
                     {"2026", "", "", "2026", false, "Русская — ПК"},
                     {"]s'", "", "Ukrainian", "їіє", false, "Ukrainian"},
                     {"їіє", "", "ukrainian", "]s'", true, "ABC"}});
    expectFixes({Sources::usLayout(), Sources::russianLayout()},
                {{"ghbdtn@#", "U.S.", "Russian", "привет\"№", false, "Russian"},
                 {"Руддщ№", "", "", "Hello#", true, "U.S."}});
    // Russian is never the latin layout, even when "ABC" is not enabled.
    expectFixes({Sources::russianLayout(), Sources::usLayout("English (US)", "xkb.layout.us")},
                {{"руддщ", "ABC", "Russian", "hello", true, "English (US)"}});
    // A native map that changes no letter, or none at all, falls back to the rows.
    Sources::Layout twin = Sources::usLayout("Twin", "xkb.twin");
    twin.shifted[18] = QStringLiteral("¡");
    expectFixes({Sources::usLayout(), twin}, {{"ghbdtn", "U.S.", "Twin", "привет", false, "Twin"}});
    expectFixes({Sources::usLayout(), Sources::bareLayout("Russian", "xkb.layout.ru")},
                {{"ghbdtn@", "U.S.", "Russian", "привет@", false, "Russian"}});
}

// The suggestion is the first latin and the first native layout in system order, else the
// built-in names.
TEST(LayoutFix, TakesTheNamesFromTheSettingsAndBuildsMapsOncePerPair) {
    Sources sources;
    KeyboardLayoutService service(sources);
    EXPECT_EQ(service.suggestion(),
              (KeyboardLayoutSuggestion{
                  "ABC", "Русская — ПК", {"ABC", "U.S.", "Русская — ПК", "Russian"}}));
    NiveloSettings settings;
    settings.layoutLatinSource = "English";
    settings.layoutNativeSource = "Українська";
    EXPECT_EQ(service.fix("ghbdsn", settings).text, "привіт");
    EXPECT_EQ(service.fix("руддщ", settings).targetLayoutName, "English");

    sources.addLayout(Sources::russianLayout());
    sources.addLayout(Sources::usLayout());
    sources.addLayout(Sources::russianLayout("Russian (phonetic)", "xkb.ru.ph"));
    EXPECT_EQ(
        service.suggestion(),
        (KeyboardLayoutSuggestion{"U.S.", "Russian", {"Russian", "U.S.", "Russian (phonetic)"}}));
    const int before = sources.translateCalls;
    for (const char* native : {"Russian", "Russian", "Russian (phonetic)"}) {
        service.fix("ghbdtn", "U.S.", native);
    }
    EXPECT_EQ(sources.translateCalls - before, 1024);
}

TEST(LayoutLookup, LatinIsAWholeWordAndNamesMatchExactlyThenByPartThenByFamily) {
    EXPECT_TRUE(KeyboardLayoutService::isLatin({"x", "Romanian"}));  // "roman" as a part
    EXPECT_FALSE(KeyboardLayoutService::isLatin({"xkb.layout.by", "Belarusian"}));
    const QList<InputSource> sources{{"xkb.layout.us", "English (US)"},
                                     {"xkb.layout.ru+phonetic", "Russian (phonetic)"},
                                     {"xkb.layout.ru", "Russian"},
                                     {"xkb.layout.ua", "Ukrainian"}};
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {" russian ", "xkb.layout.ru"}, {"XKB.LAYOUT.UA", "xkb.layout.ua"},
        {"phonetic", "xkb.layout.ru+phonetic"}, {"Русская — ПК", "xkb.layout.ru+phonetic"},
        {"U.S.", "xkb.layout.us"}, {"Greek", "<none>"}, {"  \n", "<none>"}};
    // clang-format on
    for (const auto& [name, id] : cases) {
        const auto s = KeyboardLayoutService::findSource(QString::fromUtf8(name), sources);
        EXPECT_EQ(s ? s->id : QStringLiteral("<none>"), id) << name;
    }
}

TEST(LayoutSwitch, SelectsByLenientNameRetriesThreeTimesAndSaysWhy) {
    Sources sources;
    sources.addLayout(Sources::usLayout());
    sources.addLayout(Sources::russianLayout("Russian (PC)", "xkb.layout.ru"));
    KeyboardLayoutService service(sources);
    const auto switchError = [&](const QString& name) {
        try {
            service.switchLayout(name);
        } catch (const KeyboardLayoutError& e) {
            return e.description();
        }
        return QString();
    };
    sources.failingSelects = 2;
    EXPECT_EQ(switchError("russian"), "");
    EXPECT_EQ(service.currentLayoutName(), "Russian (PC)");
    sources.failingSelects = 3;
    EXPECT_EQ(switchError("U.S."), "Could not switch keyboard layout to U.S.: -50");
    EXPECT_EQ(sources.selectCalls, 6);
    EXPECT_EQ(switchError("Greek"), "Keyboard layout not found: Greek");
    EXPECT_EQ(sources.selectCalls, 6);
}

// The first enabled rule for the frontmost application, at start and on each activation; own
// windows are like any other. Turning it on waits for the next activation; the current layout
// is not selected again unless it cannot be read; errors are dropped; a second start only
// replaces the state.
TEST(AppLayoutSwitch, FirstEnabledRuleAppliesToTheFrontmostApplication) {
    Sources sources;
    sources.addLayout(Sources::usLayout());
    sources.addLayout(Sources::russianLayout("Russian (PC)", "xkb.layout.ru"));
    FakeWorkspace workspace;
    FakeAppState state, other;
    AppLayoutSwitchService service(workspace, sources);
    const auto rule = [](const char* bundle, const char* layout, bool enabled = true) {
        return AppLayoutRule{QUuid::createUuid(), bundle, bundle, {}, layout, enabled};
    };
    const auto activate = [&](qint64 pid, const char* bundle) {
        workspace.bringToFront({pid, bundle, bundle, {}});
        VirtualClock::flushEvents();
    };
    const char* editor = "org.xfce.mousepad";
    const char* own = "ai.nivelo.native";
    state.edit().appLayoutSwitchingEnabled = true;
    state.edit().appLayoutRules = {rule(editor, "U.S.", false), rule(editor, "Russian (PC)"),
                                   rule(editor, "U.S."),        rule(own, "U.S."),
                                   rule("", "Russian (PC)"),    rule("org.example.chat", "Greek")};
    workspace.frontmost = RunningApplication{10, editor, editor, {}};
    service.start(&state);
    EXPECT_EQ(sources.currentId(), "xkb.layout.ru");
    state.change([](NiveloSettings& s) { s.appLayoutSwitchingEnabled = false; });
    activate(1000, own);
    state.change([](NiveloSettings& s) { s.appLayoutSwitchingEnabled = true; });
    VirtualClock::flushEvents();
    EXPECT_EQ(sources.selectCalls, 1);
    activate(1000, own);
    EXPECT_EQ(sources.currentId(), "xkb.layout.us");
    activate(10, editor);
    activate(10, editor);
    activate(12, "");
    activate(11, "org.example.chat");
    EXPECT_EQ(sources.selectCalls, 3);
    sources.currentUnknown = true;
    sources.failingSelects = 3;
    activate(1000, own);
    EXPECT_EQ(sources.selectCalls, 6);
    EXPECT_TRUE(state.statuses.isEmpty());

    other.edit().appLayoutSwitchingEnabled = true;
    other.edit().appLayoutRules = {rule("org.example.chat", "Russian (PC)")};
    service.start(&other);
    activate(11, "org.example.chat");
    EXPECT_EQ(sources.selectCalls, 7);
}
