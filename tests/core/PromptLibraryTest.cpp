#include <gtest/gtest.h>
#include <QRegularExpression>
#include <QSet>

#include "base/Text.h"
#include "core/AIReplyStyleLibrary.h"
#include "core/AppBuildConfiguration.h"
#include "core/AppearanceMode.h"
#include "core/MenuScale.h"
#include "core/NiveloPromptLibrary.h"
#include "core/QuickAction.h"
#include "core/QuickMenuOpenMode.h"
#include "core/SettingsPage.h"
#include "core/SurfaceMode.h"
#include "core/UiLanguage.h"

namespace lib = NiveloPromptLibrary;

namespace {

PromptStyle builtIn(const QString& id) {
    return *lib::style(id, {});
}

}  // namespace

TEST(PromptLibrary, BuiltInsAndLanguages) {
    const auto& styles = lib::defaultStyles();
    ASSERT_EQ(styles.size(), 17);
    EXPECT_EQ(styles.last().id, "translate");
    const auto& names = lib::languages();
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), 100);
    EXPECT_EQ(names.first(), "English");
}

// A saved style merged with its built-in. An outdated prompt (one an earlier build shipped, told
// by an exact, case-sensitive prefix of that id's old prompt) takes the built-in name and
// prompt; empty fields take the built-in ones; the emoji hot key is fixed; the user's hot key
// and auto-replace choice are kept otherwise.
TEST(PromptLibraryMerge, SavedStyleIsMergedWithItsBuiltIn) {
    const struct {
        PromptStyle saved, merged;
    } cases[] = {
        {{"original", "Mine", "Fix obvious typos in this.", "Alt+9", false},
         {"original", "Fix", builtIn("original").prompt, "Alt+9", false}},
        {{"formal", "F", "Rewrite clearly in a formal respectful way", "", true},
         {"formal", "Официально", builtIn("formal").prompt, "Not assigned", true}},
        // Another id's marker, another case, a marker not at the start: not outdated.
        {{"friendly", "", "Rewrite clearly in a polite way", "", true},
         {"friendly", "Дружелюбно", "Rewrite clearly in a polite way", "Alt+2", true}},
        {{"polite", "P", "rewrite clearly in a polite tone", "", true},
         {"polite", "P", "rewrite clearly in a polite tone", "Alt+3", true}},
        {{"short", "S", " Rewrite briefly and clearly", "", true},
         {"short", "S", " Rewrite briefly and clearly", "Not assigned", true}},
        // Emoji alone is outdated, too, when an old phrase is anywhere in it.
        {{"emoji", "E", "x. Keep it short. Add fitting emojis please.", "Alt+X", true},
         {"emoji", "Смайлики", builtIn("emoji").prompt, "Alt+E", true}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lib::style(c.saved.id, lib::mergeSavedStyles({c.saved})), c.merged)
            << c.saved.prompt.toStdString();
    }
}

// Built-ins first in their order, then custom styles in saved order; the first entry of a
// repeated id wins.
TEST(PromptLibraryMerge, BuiltInsComeFirstThenCustomInSavedOrderFirstOfAnIdWinning) {
    const PromptStyle b{"custom-bbbbbbbb", "B", "b", "Not assigned", true};
    const auto merged =
        lib::mergeSavedStyles({b, PromptStyle{"polite", "First", "one", "Alt+7", true},
                               PromptStyle{"custom-aaaaaaaa", "A", "a", "", false},
                               PromptStyle{"polite", "Second", "two", "Alt+8", false},
                               PromptStyle{"custom-bbbbbbbb", "C2", "c2", "", true}});
    ASSERT_EQ(merged.size(), 19);
    EXPECT_EQ(merged[16].id, "translate");
    EXPECT_EQ(merged[3].name, "First");
    EXPECT_EQ(merged[17], b);
    EXPECT_EQ(merged[18].id, "custom-aaaaaaaa");
    // A lookup takes the first of an id in the given list, then the built-ins.
    EXPECT_EQ(lib::style("custom-bbbbbbbb", {b, PromptStyle{"custom-bbbbbbbb"}}), b);
    EXPECT_EQ(lib::style("polite", {})->name, "Polite");
    EXPECT_FALSE(lib::style("custom-x", {}).has_value());
}

TEST(PromptLibrary, BackendActionFollowsTheActionThenTheStyle) {
    const PromptStyle custom{"custom-1", "C", "c", "", true};
    for (const auto& [id, style, action] :
         std::vector<std::tuple<QString, PromptStyle, BackendAction>>{
             {"translate", builtIn("original"), BackendAction::translate},
             {"style:custom-1", builtIn("translate"), BackendAction::translate},
             {"style:emoji", builtIn("emoji"), BackendAction::emoji},
             {"style:original", builtIn("original"), BackendAction::fix},
             {"style:custom-1", custom, BackendAction::rewrite}}) {
        EXPECT_EQ(lib::backendAction(QuickAction{id}, style), action) << id.toStdString();
    }
}

// Text that fits, or a limit that is not positive, is one part as given; otherwise the cut is
// at the last paragraph break in the window, else the last line break, else just after the
// last ". ", else at the window's end; parts are trimmed.
TEST(TextSplitting, CutsAtTheBestBreakInTheWindowCountingCharacters) {
    // One character made of four UTF-16 code units.
    const QString flag = QString::fromUtf8("🇷🇺");
    // One character of five code units: longer than the first window looked at.
    const QString accented = QStringLiteral("e\u0301\u0301\u0301\u0301");
    const struct {
        QString text;
        int maxChars;
        QStringList parts;
    } cases[] = {
        {"  hello  ", 2500, {"  hello  "}},
        {"abc def", 0, {"abc def"}},
        {"aa\n\nbb\ncc dd", 10, {"aa", "bb\ncc dd"}},
        {"aa\nbb. cc dd", 10, {"aa", "bb. cc dd"}},
        {"aa. bb. cccc", 10, {"aa. bb.", "cccc"}},
        {flag.repeated(5), 2, {flag + flag, flag + flag, flag}},
        {accented.repeated(25),
         10,
         {accented.repeated(10), accented.repeated(10), accented.repeated(5)}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(splitTextForBackend(c.text, c.maxChars), c.parts)
            << c.text.toStdString() << " / " << c.maxChars;
    }
}

TEST(TextSplitting, EveryPartFitsAndNothingButSpaceIsLost) {
    const QString text =
        "First line.\nSecond sentence. Third one here.\n\n  Paragraph two with words. And more "
        "words without end";
    const QString expected = QString(text).remove(QRegularExpression("\\s"));
    for (int max = 1; max <= 40; ++max) {
        QString joined;
        for (const auto& p : splitTextForBackend(text, max)) {
            EXPECT_TRUE(!p.isEmpty() && text::graphemeCount(p) <= max) << max;
            joined += p;
        }
        EXPECT_EQ(joined.remove(QRegularExpression("\\s")), expected) << max;
    }
}

// Each cut keeps the white space it took out, so that joining the pieces with it gives back
// the trimmed text: a blank line, a line break with the next line's indentation, the space
// after a sentence, nothing inside a word.
TEST(TextSplitting, EachCutKeepsTheWhiteSpaceItTookOut) {
    const struct {
        QString text;
        int maxChars;
        QStringList pieces, gaps;
    } cases[] = {
        {"aa\n\nbb\ncc dd", 10, {"aa", "bb\ncc dd"}, {"\n\n"}},
        {"aa\n \t bb cc dd", 10, {"aa", "bb cc dd"}, {"\n \t "}},
        {"aa. bb.  cccc", 10, {"aa. bb.", "cccc"}, {"  "}},
        {"abcdefghijkl", 5, {"abcde", "fghij", "kl"}, {"", ""}},
        {"   abcdefgh", 3, {"abc", "def", "gh"}, {"", ""}},
        {"abc\u00a0\u2028def", 4, {"abc", "def"}, {"\u00a0\u2028"}},
        {"short", 10, {"short"}, {}},
    };
    for (const auto& c : cases) {
        const BackendTextPieces cut = cutTextForBackend(c.text, c.maxChars);
        EXPECT_EQ(cut.pieces, c.pieces) << c.text.toStdString();
        EXPECT_EQ(cut.gaps, c.gaps) << c.text.toStdString();
    }
    // Prose and a long run of short lines, at every small limit and the real one.
    QString lines;
    for (int i = 0; lines.size() < 200'000; ++i) {
        lines += QStringLiteral("%1 item\n").arg(i);
    }
    const QString prose =
        "  First line.\nSecond sentence. Third one here.\n\n  Paragraph two with words. And "
        "more words without end\n";
    for (int max = 1; max <= 40; ++max) {
        const BackendTextPieces cut = cutTextForBackend(prose, max);
        EXPECT_EQ(joinBackendAnswers(cut.pieces, cut.gaps), prose.trimmed()) << max;
    }
    const BackendTextPieces cut = cutTextForBackend(lines, 2500);
    EXPECT_GT(cut.pieces.size(), 50);
    EXPECT_EQ(joinBackendAnswers(cut.pieces, cut.gaps), lines.trimmed());
}

TEST(TranslationCompare, CollapsesSpaceDropsQuotesAndLowers) {
    EXPECT_EQ(normalizeTranslationCompare("  «Hello»\n  World "), "hello» world");
    EXPECT_EQ(normalizeTranslationCompare("“Привет”\t\"Мир\""), "привет мир");
}

// The reply styles' built-ins are those of the prompt styles, without a fixed hot key.
TEST(AIReplyStyles, SavedStylesAreMergedWithTheBuiltIns) {
    EXPECT_EQ(AIReplyStyleLibrary::builtInStyleIds(), lib::builtInStyleIds());
    const auto restored = AIReplyStyleLibrary::restoredStyles({{"emoji", "", "Mine", "Alt+Z"}});
    EXPECT_EQ(restored[2].hotkey, "Alt+Z");
}

// Trims; turns a bare built-in style id (or "fix") into its style action and leaves fixed
// actions, style actions and any other text alone; normalizing the result again changes nothing.
TEST(QuickActionNormalize, CanonicalizesOnlyBuiltInStyleIdsAndIsIdempotent) {
    for (const auto& [raw, expected] :
         std::vector<std::pair<QString, QString>>{{" \n polite\t\n", "style:polite"},
                                                  {"fix", "style:original"},
                                                  {" layout ", "layout"},
                                                  {"style:whatever ", "style:whatever"},
                                                  {"Fix", "Fix"},
                                                  {" custom-12345678 ", "custom-12345678"}}) {
        EXPECT_EQ(QuickAction::normalize(raw), expected) << raw.toStdString();
        EXPECT_EQ(QuickAction::normalize(expected), expected) << raw.toStdString();
    }
}

// Every built-in style but translate (the fixed action) has a default row.
TEST(QuickAction, DefaultsStyleIdTitleAndSymbol) {
    for (const auto& s : NiveloPromptLibrary::defaultStyles()) {
        EXPECT_EQ(QuickAction::defaultIds().contains("style:" + s.id), s.id != "translate");
    }
    EXPECT_EQ(QuickAction{"translate"}.styleId(), QString("translate"));
    EXPECT_FALSE(QuickAction{"polite"}.styleId().has_value());
    // One fixed text whatever the language.
    EXPECT_EQ(QuickAction{"translate"}.title(), "Перевод");
    EXPECT_EQ(QuickAction{"style:custom-1"}.symbolName(), "sparkles");
    EXPECT_EQ(QuickAction{"style:original"}.symbolName(), "wand.and.sparkles");
    // "original" alone is not a style action, yet the symbol table is keyed by the id.
    EXPECT_EQ(QuickAction{"original"}.symbolName(), "wand.and.sparkles");
}

TEST(InterfaceEnums, RawTextsRoundTripExactlyAndTitlesFollowTheLanguage) {
    for (const MenuScale scale : allCases<MenuScale>()) {
        EXPECT_EQ(fromRawValue<MenuScale>(rawValue(scale)), scale);
    }
    EXPECT_FALSE(fromRawValue<MenuScale>("Tiny").has_value());
    // Settings pages are stored by their case names.
    EXPECT_EQ(fromRawValue<SettingsPage>("aiReply"), SettingsPage::aiReply);
    EXPECT_EQ(title(SettingsPage::shortcuts, UiLanguage::ru), "Хоткеи");
    EXPECT_EQ(localizedTitle(MenuScale::xlarge, UiLanguage::en), "Extra Large");
}

TEST(BuildInformation, MissingOrMalformedValuesFallBack) {
    using namespace AppBuildConfiguration;
    EXPECT_EQ(versionFrom(std::nullopt), "0.0.0");
    EXPECT_EQ(buildFrom(QString(" 5")), 0);
    EXPECT_EQ(currentVersion(), QString(NIVELO_VERSION));
    EXPECT_EQ(currentBuild(), QString(NIVELO_BUILD_NUMBER).toLongLong());
}
