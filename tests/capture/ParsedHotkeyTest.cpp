#include <gtest/gtest.h>

#include "capture/HotkeyKeys.h"
#include "capture/ParsedHotkey.h"
#include "platform/HotKeyRegistry.h"

namespace {
QString signatureOf(const QString& text) {
    const auto parsed = ParsedHotkey::parse(text);
    return parsed ? parsed->canonicalSignature() : QStringLiteral("<none>");
}
}  // namespace

TEST(ParsedHotkey, NamesGlyphsAndSynonymsGiveTheSignature) {
    const std::pair<const char*, QStringList> cases[] = {
        {"49:0:1:1:0",
         {"Command+Shift+Space", " command + shift + space ", "Shift+Cmd+SPACE", "⌘+⇧+Space"}},
        {"0:1:0:0:0", {"OPTION+A", "Option+A", "alt+a"}},
        {"122:1:0:0:1", {"⌃+⌥+F1"}},
        {"12:0:0:0:1", {"Ctrl+Control+Q"}},  // named twice: simply set
        {"12:0:0:0:0", {"Q"}},
        {"53:1:0:0:0", {"Alt+Esc"}},
        {"48:1:0:0:0", {"Alt+Tab"}},
        {"24:1:0:0:0", {"Alt+=", "Alt+Equal"}},
        {"50:1:0:0:0", {"Alt+`", "alt+backquote"}},
        {"36:1:0:0:0", {"Alt+Return", "Alt+Enter"}},
        {"42:1:0:0:0", {"Alt+\\", "Alt+Backslash"}}};
    for (const auto& [signature, texts] : cases) {
        for (const QString& text : texts) {
            EXPECT_EQ(signatureOf(text), signature) << text.toStdString();
        }
    }
    EXPECT_EQ(ParsedHotkey::keyCodes().size(), 76);
}

TEST(ParsedHotkey, ModifierMaskUsesTheRegistryBitsAndABareKeyIsAccepted) {
    EXPECT_EQ(ParsedHotkey::parse("Command+Control+Alt+Shift+K")->modifierMask(),
              HotKeyModifier::Command + HotKeyModifier::Control + HotKeyModifier::Option +
                  HotKeyModifier::Shift);
    EXPECT_EQ(ParsedHotkey::parse("Shift+K")->modifierMask(), HotKeyModifier::Shift);
    const auto bare = ParsedHotkey::parse("K");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->keyCode, 40);
    EXPECT_EQ(bare->modifierMask(), 0u);
}

TEST(ParsedHotkey, RejectsUnknownKeysModifiersAndGluedGlyphs) {
    for (const char* text : {"⌘⇧K", "Command+Delete", "Command+Left", "Command+", "Hyper+K",
                             "Command+F13", "Command+KP1", "+", " + + "}) {
        EXPECT_FALSE(ParsedHotkey::parse(QString::fromUtf8(text))) << text;
    }
}

TEST(ParsedHotkey, BlankOrNotAssignedIsNoHotkey) {
    for (const char* text : {"", "   ", "\n", "Not assigned", "NOT ASSIGNED", " not assigned "}) {
        EXPECT_TRUE(ParsedHotkey::isNotAssigned(text)) << text;
        EXPECT_FALSE(ParsedHotkey::parse(text)) << text;
    }
    EXPECT_FALSE(ParsedHotkey::isNotAssigned("Command+K"));
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
