#include <gtest/gtest.h>

#include "core/AIReplyStyleLibrary.h"
#include "core/NiveloPromptLibrary.h"

namespace lib = AIReplyStyleLibrary;

// The built-ins are those of the prompt styles; saved empty fields take the built-in ones field
// by field (no fixed hot key, unlike the prompt styles); custom styles follow in saved order and
// the first of a repeated id wins.
TEST(AIReplyStyles, SavedStylesAreMergedWithTheBuiltIns) {
    EXPECT_EQ(lib::builtInStyleIds(), NiveloPromptLibrary::builtInStyleIds());
    const auto& builtIns = lib::defaultStyles();
    const AIReplyStyle b{"custom-reply-bbbbbbbb", "B", "b", "Not assigned"};
    const auto restored = lib::restoredStyles(
        {b, AIReplyStyle{"polite", "Nice", "", "Command+Alt+9"}, AIReplyStyle{"emoji", "", "Mine", ""},
         AIReplyStyle{"polite", "Two", "2", ""}, AIReplyStyle{"custom-reply-bbbbbbbb", "X", "", ""}});
    ASSERT_EQ(restored.size(), 18);
    EXPECT_EQ(restored[3], (AIReplyStyle{"polite", "Nice", builtIns[3].prompt, "Command+Alt+9"}));
    EXPECT_EQ(restored[2], (AIReplyStyle{"emoji", builtIns[2].name, "Mine", builtIns[2].hotkey}));
    EXPECT_EQ(restored[0], builtIns[0]);
    EXPECT_EQ(restored[17], b);
}

TEST(AIReplyStyles, BackendNames) {
    const auto& builtIns = lib::defaultStyles();
    EXPECT_EQ(lib::backendStyleName(builtIns.first()), "Friendly");
    EXPECT_EQ(lib::backendStyleName(builtIns.last()), "Friendly");
    EXPECT_EQ(lib::backendStyleName(AIReplyStyle{"professional", "", "", ""}), "Professional");
    EXPECT_EQ(lib::backendStyleName(AIReplyStyle{"custom-reply-1", "Pro", "", ""}), "");
}
