#include <gtest/gtest.h>

#include <QRegularExpression>

#include "core/NiveloPromptLibrary.h"
#include "core/QuickAction.h"
#include "core/Text.h"

namespace lib = NiveloPromptLibrary;

namespace {

PromptStyle builtIn(const QString& id) {
    return *lib::style(id, {});
}

PromptStyle saved(const QString& id, const QString& name, const QString& prompt,
                  const QString& hotkey, bool autoReplace) {
    return PromptStyle{id, name, prompt, hotkey, autoReplace};
}

PromptStyle byId(const QList<PromptStyle>& styles, const QString& id) {
    for (const auto& s : styles) {
        if (s.id == id) {
            return s;
        }
    }
    ADD_FAILURE() << "no style " << id.toStdString();
    return {};
}

}  // namespace

TEST(PromptLibrary, BuiltInsHaveUniqueIdsAndReplaceAutomatically) {
    const auto& styles = lib::defaultStyles();
    ASSERT_EQ(styles.size(), 17);
    EXPECT_EQ(lib::builtInStyleIds().size(), 17);
    EXPECT_EQ(styles.first().id, "original");
    EXPECT_EQ(styles.last().id, "translate");
    for (const auto& s : styles) {
        EXPECT_TRUE(s.autoReplace) << s.id.toStdString();
        EXPECT_FALSE(s.prompt.isEmpty()) << s.id.toStdString();
    }
    // Paragraphs are separated by exactly one blank line.
    EXPECT_EQ(builtIn("original").prompt.count("\n\n"), 3);
    EXPECT_EQ(builtIn("emoji").prompt.count("\n\n"), 4);
    EXPECT_FALSE(builtIn("original").prompt.contains("\n\n\n"));
}

TEST(PromptLibrary, LanguagesAreAHundredDistinctNames) {
    const auto& names = lib::languages();
    ASSERT_EQ(names.size(), 100);
    EXPECT_EQ(names.first(), "English");
    EXPECT_EQ(names.last(), "Odia");
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), 100);
    EXPECT_TRUE(names.contains("Chinese (Simplified)"));
}

TEST(PromptLibraryMerge, OutdatedOriginalPromptTakesBuiltInTextButKeepsUserChoices) {
    const auto merged = lib::mergeSavedStyles(
        {saved("original", "Mine", "Fix obvious typos in this.", "Alt+9", false)});
    const auto original = byId(merged, "original");
    EXPECT_EQ(original.name, "Fix");
    EXPECT_EQ(original.prompt, builtIn("original").prompt);
    EXPECT_EQ(original.hotkey, "Alt+9");
    EXPECT_FALSE(original.autoReplace);
}

TEST(PromptLibraryMerge, MarkersAreExactCaseSensitivePrefixes) {
    // The marker of another id, a different case, or a marker not at the start: not outdated.
    const auto merged = lib::mergeSavedStyles({
        saved("friendly", "", "Rewrite clearly in a polite way", "", true),
        saved("polite", "P", "rewrite clearly in a polite tone", "", true),
        saved("short", "S", " Rewrite briefly and clearly", "", true),
        saved("formal", "F", "Rewrite clearly in a formal respectful way", "", true),
    });
    EXPECT_EQ(byId(merged, "friendly").prompt, "Rewrite clearly in a polite way");
    EXPECT_EQ(byId(merged, "polite").prompt, "rewrite clearly in a polite tone");
    EXPECT_EQ(byId(merged, "short").prompt, " Rewrite briefly and clearly");
    EXPECT_EQ(byId(merged, "formal").prompt, builtIn("formal").prompt);
    EXPECT_EQ(byId(merged, "formal").name, builtIn("formal").name);
}

TEST(PromptLibraryMerge, EmojiPromptIsOutdatedWhenItContainsAnOldPhrase) {
    const auto merged = lib::mergeSavedStyles(
        {saved("emoji", "E", "Keep it short. Add fitting emojis please.", "Alt+X", true)});
    const auto emoji = byId(merged, "emoji");
    EXPECT_EQ(emoji.prompt, builtIn("emoji").prompt);
    EXPECT_EQ(emoji.name, builtIn("emoji").name);
    // The containment rule belongs to emoji only.
    const auto other = lib::mergeSavedStyles(
        {saved("humor", "H", "Keep it short. Add fitting emojis please.", "", true)});
    EXPECT_EQ(byId(other, "humor").prompt, "Keep it short. Add fitting emojis please.");
}

TEST(PromptLibraryMerge, EmojiHotKeyIsAlwaysTheBuiltIn) {
    const auto merged =
        lib::mergeSavedStyles({saved("emoji", "My emoji", "My own prompt", "Alt+Z", true)});
    const auto emoji = byId(merged, "emoji");
    EXPECT_EQ(emoji.hotkey, "Alt+E");
    EXPECT_EQ(emoji.name, "My emoji");
    EXPECT_EQ(emoji.prompt, "My own prompt");
}

TEST(PromptLibraryMerge, EmptySavedFieldsFallBackToTheBuiltIn) {
    const auto merged = lib::mergeSavedStyles(
        {saved("friendly", "", "Be nice.", "", false), saved("polite", "Kind", "", "Alt+P", true)});
    const auto friendly = byId(merged, "friendly");
    EXPECT_EQ(friendly.name, "Дружелюбно");
    EXPECT_EQ(friendly.prompt, "Be nice.");
    EXPECT_EQ(friendly.hotkey, builtIn("friendly").hotkey);
    EXPECT_FALSE(friendly.autoReplace);
    const auto polite = byId(merged, "polite");
    EXPECT_EQ(polite.name, "Kind");
    EXPECT_EQ(polite.prompt, builtIn("polite").prompt);
    EXPECT_EQ(polite.hotkey, "Alt+P");
}

TEST(PromptLibraryMerge, BuiltInsComeFirstInTheirOrderThenCustomInSavedOrder) {
    const auto merged = lib::mergeSavedStyles({
        saved("custom-bbbbbbbb", "B", "b", "Not assigned", true),
        saved("translate", "T", "t", "Alt+T", true),
        saved("custom-aaaaaaaa", "A", "a", "Not assigned", false),
    });
    ASSERT_EQ(merged.size(), 19);
    for (int i = 0; i < 17; ++i) {
        EXPECT_EQ(merged[i].id, lib::defaultStyles()[i].id);
    }
    EXPECT_EQ(merged[17], saved("custom-bbbbbbbb", "B", "b", "Not assigned", true));
    EXPECT_EQ(merged[18].id, "custom-aaaaaaaa");
}

TEST(PromptLibraryMerge, FirstEntryOfARepeatedIdWins) {
    const auto merged = lib::mergeSavedStyles({
        saved("polite", "First", "one", "Alt+7", true),
        saved("custom-12345678", "C1", "c1", "", true),
        saved("polite", "Second", "two", "Alt+8", false),
        saved("custom-12345678", "C2", "c2", "", true),
    });
    ASSERT_EQ(merged.size(), 18);
    EXPECT_EQ(byId(merged, "polite").name, "First");
    EXPECT_EQ(merged.last().name, "C1");
}

TEST(PromptLibrary, StyleLookupPrefersTheGivenListThenBuiltIns) {
    const QList<PromptStyle> styles = {saved("polite", "Mine", "p", "", true),
                                       saved("custom-x", "X", "x", "", true),
                                       saved("custom-x", "Y", "y", "", true)};
    EXPECT_EQ(lib::style("polite", styles)->name, "Mine");
    EXPECT_EQ(lib::style("custom-x", styles)->name, "X");
    EXPECT_EQ(lib::style("polite", {})->name, "Polite");
    EXPECT_FALSE(lib::style("custom-x", {}).has_value());
}

TEST(PromptLibrary, BackendActionFollowsTheActionThenTheStyle) {
    const auto custom = saved("custom-1", "C", "c", "", true);
    EXPECT_EQ(lib::backendAction(QuickAction{"translate"}, builtIn("original")),
              BackendAction::translate);
    EXPECT_EQ(lib::backendAction(QuickAction{"style:translate"}, custom), BackendAction::translate);
    EXPECT_EQ(lib::backendAction(QuickAction{"style:custom-1"}, builtIn("translate")),
              BackendAction::translate);
    EXPECT_EQ(lib::backendAction(QuickAction{"style:emoji"}, builtIn("emoji")),
              BackendAction::emoji);
    EXPECT_EQ(lib::backendAction(QuickAction{"style:original"}, builtIn("original")),
              BackendAction::fix);
    EXPECT_EQ(lib::backendAction(QuickAction{"style:custom-1"}, custom), BackendAction::rewrite);
    EXPECT_EQ(static_cast<int>(BackendAction::reply), 5);
    EXPECT_EQ(sizeof(BackendAction), 1u);
}

TEST(TextSplitting, ShortTextIsOnePieceUntouched) {
    EXPECT_EQ(splitTextForBackend("  hello  ", 2500), QStringList{"  hello  "});
    EXPECT_EQ(splitTextForBackend("", 2500), QStringList{""});
    EXPECT_EQ(splitTextForBackend(QString(2500, 'a'), 2500).size(), 1);
}

TEST(TextSplitting, TextWithoutBreaksIsCutAtTheWindow) {
    const auto pieces = splitTextForBackend(QString(2501, 'a'), 2500);
    ASSERT_EQ(pieces.size(), 2);
    EXPECT_EQ(pieces[0].size(), 2500);
    EXPECT_EQ(pieces[1].size(), 1);
}

TEST(TextSplitting, PrefersParagraphThenLineThenSentence) {
    EXPECT_EQ(splitTextForBackend("aa\n\nbb\ncc dd", 10), (QStringList{"aa", "bb\ncc dd"}));
    EXPECT_EQ(splitTextForBackend("aa\nbb. cc dd", 10), (QStringList{"aa", "bb. cc dd"}));
    EXPECT_EQ(splitTextForBackend("aa. bb. cccc", 10), (QStringList{"aa. bb.", "cccc"}));
}

TEST(TextSplitting, CountsCharactersNotCodeUnits) {
    // Each flag is one character made of four UTF-16 code units.
    const QString flag = QString::fromUtf8("🇷🇺");
    const QString text = flag.repeated(5);
    EXPECT_EQ(splitTextForBackend(text, 5), QStringList{text});
    const auto pieces = splitTextForBackend(text, 2);
    ASSERT_EQ(pieces.size(), 3);
    EXPECT_EQ(pieces[0], flag + flag);
    EXPECT_EQ(pieces[2], flag);
}

TEST(TextSplitting, EveryPieceFitsAndNothingButSpaceIsLost) {
    const QString text =
        "First line.\nSecond sentence. Third one here.\n\n  Paragraph two with words. And more "
        "words without end";
    for (int max = 1; max <= 40; ++max) {
        const auto pieces = splitTextForBackend(text, max);
        QString joined;
        for (const auto& p : pieces) {
            EXPECT_LE(text::graphemeCount(p), max) << max;
            EXPECT_FALSE(p.isEmpty());
            joined += p;
        }
        QString expected = text;
        expected.remove(QRegularExpression("\\s"));
        joined.remove(QRegularExpression("\\s"));
        EXPECT_EQ(joined, expected) << max;
    }
}

TEST(TextSplitting, NonPositiveLimitMeansNoSplit) {
    EXPECT_EQ(splitTextForBackend("abc def", 0), QStringList{"abc def"});
    EXPECT_EQ(splitTextForBackend("abc def", -3), QStringList{"abc def"});
}

TEST(TextSplitting, LeadingBreaksDoNotStallTheSplit) {
    const auto pieces = splitTextForBackend("\n\nabcdef", 3);
    EXPECT_EQ(pieces, (QStringList{"abc", "def"}));
}

TEST(TranslationCompare, CollapsesSpaceDropsQuotesAndLowers) {
    EXPECT_EQ(normalizeTranslationCompare(QString::fromUtf8("  «Hello\n  World ")),
              QString::fromUtf8("hello world"));
    EXPECT_EQ(normalizeTranslationCompare(QString::fromUtf8("  «Hello»\n  World ")),
              QString::fromUtf8("hello» world"));
    EXPECT_EQ(normalizeTranslationCompare(QString::fromUtf8("“Привет”\t\"Мир\"")),
              QString::fromUtf8("привет мир"));
}
