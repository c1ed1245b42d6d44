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

TEST(ParsedHotkey, ModifiersInAnyOrderCaseOrGlyphGiveOneSignature) {
    EXPECT_EQ(signatureOf("Command+Shift+Space"), "49:0:1:1:0");
    EXPECT_EQ(signatureOf(" command + shift + space "), "49:0:1:1:0");
    EXPECT_EQ(signatureOf("Shift+Cmd+SPACE"), "49:0:1:1:0");
    EXPECT_EQ(signatureOf("⌘+⇧+Space"), "49:0:1:1:0");
    EXPECT_EQ(signatureOf("Option+A"), signatureOf("alt+a"));
    EXPECT_EQ(signatureOf("OPTION+A"), "0:1:0:0:0");  // lower-cased synonym
    EXPECT_EQ(signatureOf("⌃+⌥+F1"), "122:1:0:0:1");
    EXPECT_EQ(signatureOf("Ctrl+Control+Q"), "12:0:0:0:1");  // named twice: simply set
}

TEST(ParsedHotkey, ModifierMaskUsesTheRegistryBits) {
    const auto all = ParsedHotkey::parse("Command+Control+Alt+Shift+K");
    ASSERT_TRUE(all);
    EXPECT_EQ(all->modifierMask(), HotKeyModifier::Command + HotKeyModifier::Control +
                                       HotKeyModifier::Option + HotKeyModifier::Shift);
    EXPECT_EQ(ParsedHotkey::parse("Shift+K")->modifierMask(), HotKeyModifier::Shift);
}

TEST(ParsedHotkey, RejectsUnknownKeysModifiersAndGluedGlyphs) {
    for (const char* text : {"⌘⇧K", "Command+Delete", "Command+Left", "Command+", "Hyper+K",
                             "Command+F13", "Command+KP1", "+", " + + "}) {
        EXPECT_FALSE(ParsedHotkey::parse(QString::fromUtf8(text))) << text;
    }
}

TEST(ParsedHotkey, BareKeyIsAccepted) {
    const auto k = ParsedHotkey::parse("K");
    ASSERT_TRUE(k);
    EXPECT_EQ(k->keyCode, 40);
    EXPECT_EQ(k->modifierMask(), 0u);
}

TEST(ParsedHotkey, BlankOrNotAssignedIsNoHotkey) {
    for (const char* text : {"", "   ", "\n", "Not assigned", "NOT ASSIGNED", " not assigned "}) {
        EXPECT_TRUE(ParsedHotkey::isNotAssigned(text)) << text;
        EXPECT_FALSE(ParsedHotkey::parse(text)) << text;
    }
    EXPECT_FALSE(ParsedHotkey::isNotAssigned("Command+K"));
}

TEST(ParsedHotkey, KeyTableSpotChecks) {
    EXPECT_EQ(ParsedHotkey::keyCodes().size(), 76);
    EXPECT_EQ(signatureOf("Q"), "12:0:0:0:0");
    EXPECT_EQ(signatureOf("Alt+="), signatureOf("Alt+Equal"));
    EXPECT_EQ(signatureOf("Alt+`"), signatureOf("alt+backquote"));
    EXPECT_EQ(signatureOf("Alt+Return"), signatureOf("Alt+Enter"));
    EXPECT_EQ(signatureOf("Alt+Esc"), "53:1:0:0:0");
    EXPECT_EQ(signatureOf("Alt+Tab"), "48:1:0:0:0");
    EXPECT_EQ(signatureOf("Alt+\\"), signatureOf("Alt+Backslash"));
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
