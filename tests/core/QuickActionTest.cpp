#include <gtest/gtest.h>

#include "core/ActionStatus.h"
#include "core/NiveloPromptLibrary.h"
#include "core/PermissionState.h"
#include "core/QuickAction.h"

// Trims; turns a bare built-in style id (or "fix") into its style action and leaves fixed
// actions, style actions and any other text alone; normalizing the result again changes nothing.
TEST(QuickActionNormalize, CanonicalizesOnlyBuiltInStyleIdsAndIsIdempotent) {
    const auto expectNormalized = [](const QString& raw, const QString& expected) {
        EXPECT_EQ(QuickAction::normalize(raw), expected) << raw.toStdString();
        EXPECT_EQ(QuickAction::normalize(expected), expected) << raw.toStdString();
    };
    expectNormalized(" \n polite\t\n", "style:polite");
    expectNormalized("fix", "style:original");
    expectNormalized("original", "style:original");
    expectNormalized("social", "style:social");
    expectNormalized(" emoji", "style:emoji");
    expectNormalized("translate", "translate");
    expectNormalized("ai", "ai");
    expectNormalized(" layout ", "layout");
    expectNormalized("style:whatever ", "style:whatever");
    expectNormalized("style:", "style:");
    expectNormalized("Fix", "Fix");
    expectNormalized("Polite", "Polite");
    expectNormalized(" custom-12345678 ", "custom-12345678");
    expectNormalized(" \n ", "");
}

TEST(QuickAction, DefaultsAreAlreadyCanonical) {
    const auto& ids = QuickAction::defaultIds();
    ASSERT_EQ(QuickAction::defaultActions().size(), 20);
    for (int i = 0; i < ids.size(); ++i) {
        EXPECT_EQ(QuickAction::defaultActions()[i].id, ids[i]);
    }
    // Every built-in style but translate (the fixed action) has a row.
    for (const auto& s : NiveloPromptLibrary::defaultStyles()) {
        EXPECT_EQ(ids.contains("style:" + s.id), s.id != "translate") << s.id.toStdString();
    }
}

TEST(QuickAction, StyleId) {
    EXPECT_EQ(QuickAction{"translate"}.styleId(), QString("translate"));
    EXPECT_EQ(QuickAction{"style:polite"}.styleId(), QString("polite"));
    EXPECT_EQ(QuickAction{"style:"}.styleId(), QString(""));
    EXPECT_FALSE(QuickAction{"clipboard"}.styleId().has_value());
    EXPECT_FALSE(QuickAction{"polite"}.styleId().has_value());
}

TEST(QuickAction, TitleIsOneFixedText) {
    EXPECT_EQ(QuickAction{"translate"}.title(), "Перевод");
    EXPECT_EQ(QuickAction{"style:translate"}.title(),
              NiveloPromptLibrary::style("translate", {})->name);
    EXPECT_EQ(QuickAction{"style:original"}.title(), "Исправить");
    EXPECT_EQ(QuickAction{"style:social"}.title(), "Social Media");
    EXPECT_EQ(QuickAction{"style:custom-1"}.title(), "Действие");
    EXPECT_EQ(QuickAction{"polite"}.title(), "Действие");
    EXPECT_EQ(QuickAction{"ai"}.title(), "AI помощник");
}

TEST(QuickAction, SymbolNameKeysOnTheStyleId) {
    EXPECT_EQ(QuickAction{"style:polite"}.symbolName(), "sparkles");
    EXPECT_EQ(QuickAction{"style:custom-1"}.symbolName(), "sparkles");
    EXPECT_EQ(QuickAction{"style:original"}.symbolName(), "wand.and.sparkles");
    EXPECT_EQ(QuickAction{"style:casual"}.symbolName(), QuickAction{"ai"}.symbolName());
    EXPECT_EQ(QuickAction{"layout"}.symbolName(), "keyboard");
    // "original" alone is not a style action, yet the symbol table is keyed by the id.
    EXPECT_EQ(QuickAction{"original"}.symbolName(), "wand.and.sparkles");
}

TEST(ActionStatus, EqualityComparesCaseAndMessage) {
    EXPECT_NE(ActionStatus::done("Pasted"), ActionStatus::running("Pasted"));
    EXPECT_NE(ActionStatus::done("Pasted"), ActionStatus::done("Copied"));
    EXPECT_NE(ActionStatus::failed(""), ActionStatus::idle());
    EXPECT_EQ(ActionStatus(), ActionStatus::idle());
    EXPECT_TRUE(ActionStatus().isIdle());
}

TEST(PermissionState, EqualWhenBothFlagsAre) {
    EXPECT_EQ(PermissionState{}, (PermissionState{false, false}));
    EXPECT_NE((PermissionState{true, false}), (PermissionState{false, true}));
}
