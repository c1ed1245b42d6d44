#include <gtest/gtest.h>

#include "platform/x11/X11TerminalKeys.h"

// Which entry a window's WM_CLASS (instance, class) finds: the class decides, in any case;
// the instance only when the class is unknown.
TEST(TerminalKeysLookup, FindsTheTerminalByClassThenInstanceInAnyCase) {
    struct Case {
        QStringList windowClass;
        std::optional<bool> pastesPrimary;  // none: not a terminal
    };
    const QList<Case> cases{
        {{"xterm", "XTerm"}, true},
        {{"KONSOLE", "konsole"}, false},
        // Started through the alternatives link, a terminal we do not know by its class.
        {{"x-terminal-emulator", "Newterm"}, true},
        {{"terminal-notes", "Terminal-notes"}, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto keys = terminalKeysFor(c.windowClass);
        ASSERT_EQ(keys.has_value(), c.pastesPrimary.has_value())
            << c.windowClass.join(',').toStdString();
        if (keys) {
            EXPECT_EQ(keys->pastesPrimary, *c.pastesPrimary);
            // Without a copy key the selection can only come from PRIMARY.
            EXPECT_EQ(!keys->copy, keys->pastesPrimary);
        }
    }
}
