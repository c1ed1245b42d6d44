#include <gtest/gtest.h>

#include "core/NiveloPromptLibrary.h"
#include "core/QuickAction.h"

// Trims; turns a bare built-in style id (or "fix") into its style action and leaves fixed
// actions, style actions and any other text alone; normalizing the result again changes nothing.
TEST(QuickActionNormalize, CanonicalizesOnlyBuiltInStyleIdsAndIsIdempotent) {
    for (const auto& [raw, expected] :
         std::vector<std::pair<QString, QString>>{{" \n polite\t\n", "style:polite"},
                                                  {"fix", "style:original"},
                                                  {"translate", "translate"},
                                                  {" layout ", "layout"},
                                                  {"style:whatever ", "style:whatever"},
                                                  {"Fix", "Fix"},
                                                  {" custom-12345678 ", "custom-12345678"},
                                                  {" \n ", ""}}) {
        EXPECT_EQ(QuickAction::normalize(raw), expected) << raw.toStdString();
        EXPECT_EQ(QuickAction::normalize(expected), expected) << raw.toStdString();
    }
}

// Every built-in style but translate (the fixed action) has a row.
TEST(QuickAction, DefaultsHaveARowPerStyleButTranslate) {
    const auto& ids = QuickAction::defaultIds();
    ASSERT_EQ(QuickAction::defaultActions().size(), 20);
    EXPECT_EQ(QuickAction::defaultActions().last().id, ids.last());
    for (const auto& s : NiveloPromptLibrary::defaultStyles()) {
        EXPECT_EQ(ids.contains("style:" + s.id), s.id != "translate") << s.id.toStdString();
    }
}

TEST(QuickAction, StyleIdTitleAndSymbol) {
    EXPECT_EQ(QuickAction{"translate"}.styleId(), QString("translate"));
    EXPECT_EQ(QuickAction{"style:polite"}.styleId(), QString("polite"));
    EXPECT_FALSE(QuickAction{"polite"}.styleId().has_value());
    // One fixed text whatever the language.
    EXPECT_EQ(QuickAction{"translate"}.title(), "Перевод");
    EXPECT_EQ(QuickAction{"style:custom-1"}.title(), "Действие");
    EXPECT_EQ(QuickAction{"polite"}.title(), "Действие");
    EXPECT_EQ(QuickAction{"style:custom-1"}.symbolName(), "sparkles");
    EXPECT_EQ(QuickAction{"style:original"}.symbolName(), "wand.and.sparkles");
    // "original" alone is not a style action, yet the symbol table is keyed by the id.
    EXPECT_EQ(QuickAction{"original"}.symbolName(), "wand.and.sparkles");
}
