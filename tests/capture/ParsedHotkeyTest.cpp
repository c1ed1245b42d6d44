#include <gtest/gtest.h>

#include "capture/HotkeyKeys.h"
#include "capture/ParsedHotkey.h"
#include "platform/HotKeyRegistry.h"

TEST(ParsedHotkey, NamesGlyphsAndSynonymsGiveTheSignatureOthersAreRejected) {
    const std::pair<const char*, QStringList> cases[] = {
        {"49:0:1:1:0",
         {"Command+Shift+Space", " command + shift + space ", "Shift+Cmd+SPACE", "⌘+Shift+Space"}},
        {"0:1:0:0:0", {"OPTION+A", "Option+a", "⌥+A"}},
        {"122:1:0:1:1", {"⌃+⌥+⇧+F1", "Ctrl+Control+alt+shift+F1"}},  // named twice: simply set
        {"24:1:0:0:0", {"Alt+=", "Alt+Equal"}},
        {"53:1:0:0:0", {"Alt+Esc", "alt+escape"}},
        {"36:1:0:0:0", {"Alt+Return", "Alt+Enter"}},
        {"48:1:0:0:0", {"Alt+Tab"}},
        {"50:1:0:0:0", {"Alt+`"}},
        {"42:1:0:0:0", {"Alt+\\"}},
        {"<none>",
         {"⌘⇧K", "Command+Delete", "Command+", "Hyper+K", "Command+F13", " + + ", "Not assigned",
          " not ASSIGNED ", "  "}}};
    for (const auto& [signature, texts] : cases) {
        for (const QString& text : texts) {
            const auto parsed = ParsedHotkey::parse(text);
            EXPECT_EQ(parsed ? parsed->canonicalSignature() : QStringLiteral("<none>"), signature)
                << text.toStdString();
        }
    }
    EXPECT_TRUE(ParsedHotkey::isNotAssigned(" not assigned "));
    EXPECT_FALSE(ParsedHotkey::isNotAssigned("Command+K"));
    EXPECT_EQ(ParsedHotkey::parse("Command+Control+Alt+Shift+K")->modifierMask(),
              HotKeyModifier::Command + HotKeyModifier::Control + HotKeyModifier::Option +
                  HotKeyModifier::Shift);
    EXPECT_EQ(ParsedHotkey::parse("K")->modifierMask(), 0u);
}

// Everything the shortcut recorder stores must register as the same key.
TEST(ParsedHotkey, AcceptsEveryRecorderKeyNameWithItsCode) {
    for (const HotkeyKey& key : recorderKeyNames()) {
        const QString name = QString::fromLatin1(key.name);
        const auto parsed = ParsedHotkey::parse("Command+Control+Alt+Shift+" + name);
        ASSERT_TRUE(parsed) << key.name;
        EXPECT_EQ(parsed->keyCode, key.keyCode) << key.name;
        EXPECT_EQ(recorderKeyName(key.keyCode), name);
    }
    EXPECT_EQ(recorderKeyName(36), "");  // Return is not recorded
}
