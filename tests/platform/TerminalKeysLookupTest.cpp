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
        {{"x-terminal-emulator", "UXTerm"}, true},
        {{"gnome-terminal-server", "Gnome-terminal"}, false},
        {{"KONSOLE", "konsole"}, false},
        // Started through the alternatives link, a terminal we do not know by its class.
        {{"x-terminal-emulator", "Newterm"}, true},
        {{"x-terminal-emulator", "Alacritty"}, false},
        {{"mousepad", "Mousepad"}, std::nullopt},
        {{"terminal-notes", "Terminal-notes"}, std::nullopt},
        {{}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.windowClass.join(',').toStdString());
        const auto keys = terminalKeysFor(c.windowClass);
        ASSERT_EQ(keys.has_value(), c.pastesPrimary.has_value());
        if (keys) {
            EXPECT_EQ(keys->pastesPrimary, *c.pastesPrimary);
            // Without a copy key the selection can only come from PRIMARY.
            EXPECT_EQ(!keys->copy, keys->pastesPrimary);
        }
    }
}

// Every class is written once, in lower case, so a case-blind lookup finds it.
TEST(TerminalKeysLookup, TheTableHoldsEachClassOnceInLowerCase) {
    QStringList seen;
    for (const TerminalEntry& entry : terminalTable()) {
        EXPECT_EQ(entry.windowClass, entry.windowClass.toLower());
        EXPECT_FALSE(seen.contains(entry.windowClass)) << entry.windowClass.toStdString();
        seen.append(entry.windowClass);
    }
}
