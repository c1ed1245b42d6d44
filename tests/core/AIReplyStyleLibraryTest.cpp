#include <gtest/gtest.h>

#include "core/AIReplyStyleLibrary.h"
#include "core/NiveloPromptLibrary.h"

namespace lib = AIReplyStyleLibrary;

namespace {

AIReplyStyle builtIn(const QString& id) {
    for (const auto& s : lib::defaultStyles()) {
        if (s.id == id) {
            return s;
        }
    }
    return {};
}

}  // namespace

TEST(AIReplyStyles, BuiltInIdsAreThoseOfThePromptStyles) {
    EXPECT_EQ(lib::builtInStyleIds(), NiveloPromptLibrary::builtInStyleIds());
}

TEST(AIReplyStyles, EmptySavedFieldsTakeTheBuiltInOnesFieldByField) {
    const auto restored = lib::restoredStyles({AIReplyStyle{"polite", "Nice", "", "Command+Alt+9"},
                                               AIReplyStyle{"emoji", "", "Mine", ""}});
    ASSERT_EQ(restored.size(), 17);
    EXPECT_EQ(restored[3],
              (AIReplyStyle{"polite", "Nice", builtIn("polite").prompt, "Command+Alt+9"}));
    // No fixed hot key for replies, unlike the prompt styles.
    EXPECT_EQ(restored[2],
              (AIReplyStyle{"emoji", builtIn("emoji").name, "Mine", builtIn("emoji").hotkey}));
    EXPECT_EQ(restored[0], builtIn("original"));
}

TEST(AIReplyStyles, CustomStylesFollowInSavedOrderAndTheFirstOfARepeatedIdWins) {
    const AIReplyStyle a{"custom-reply-aaaaaaaa", "", "", ""};
    const AIReplyStyle b{"custom-reply-bbbbbbbb", "B", "b", "Not assigned"};
    const auto restored = lib::restoredStyles({b, AIReplyStyle{"short", "One", "1", ""}, a,
                                               AIReplyStyle{"short", "Two", "2", ""},
                                               AIReplyStyle{"custom-reply-bbbbbbbb", "X", "", ""}});
    ASSERT_EQ(restored.size(), 19);
    EXPECT_EQ(restored[5].name, "One");
    EXPECT_EQ(restored[17], b);
    EXPECT_EQ(restored[18], a);
}

TEST(AIReplyStyles, BackendNames) {
    EXPECT_EQ(lib::backendStyleName(builtIn("original")), "Friendly");
    EXPECT_EQ(lib::backendStyleName(builtIn("translate")), "Friendly");
    EXPECT_EQ(lib::backendStyleName(builtIn("professional")), "Professional");
    EXPECT_EQ(lib::backendStyleName(AIReplyStyle{"custom-reply-1", "Pro", "", ""}), "");
}
