#include <gtest/gtest.h>

#include <QKeyEvent>

#include "capture/HotkeyKeys.h"
#include "capture/ParsedHotkey.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11InputSources.h"
#include "platform/x11/X11KeyMap.h"
#include "settingswindow/HotkeyFormatter.h"

// Presses as Qt reports them on X11 (the X key code as the scan code), named by the server's
// own keyboard: every recorder key reads back to its code, in either layout; keys without a
// name give their plain character.
TEST(X11HotkeyCapture, NamesThePhysicalKeyInEveryLayout) {
    auto connection = std::make_shared<X11Connection>();
    X11InputSources sources{connection};
    X11KeyMap& keys = connection->keyMap();
    const auto capture = [&](quint32 xKey, Qt::KeyboardModifiers mods) {
        return HotkeyFormatter::capture(QKeyEvent(QEvent::KeyPress, 0, mods, xKey, 1, 0), &keys)
            .value_or("");
    };
    for (const char* layout : {"xkb.layout.ru", "xkb.layout.us"}) {
        ASSERT_EQ(sources.select(layout), 0);
        for (const HotkeyKey& key : recorderKeyNames()) {
            const auto xKey = keys.xKeyCode(key.keyCode);
            ASSERT_TRUE(xKey) << key.name;
            const auto parsed = ParsedHotkey::parse(capture(*xKey, Qt::AltModifier));
            ASSERT_TRUE(parsed) << key.name << " in " << layout;
            EXPECT_EQ(parsed->keyCode, key.keyCode);
        }
    }
    // Keypad 1 (KP_End without Num Lock) is the digit; Return and Left have no name.
    EXPECT_EQ(capture(87, Qt::MetaModifier), "Command+1");
    EXPECT_EQ(keys.plainCharacter(*keys.xKeyCode(36)), "\r");
    EXPECT_EQ(capture(*keys.xKeyCode(36), Qt::ControlModifier), "");
    EXPECT_EQ(capture(*keys.xKeyCode(123), Qt::ControlModifier), "");
    ASSERT_EQ(sources.select("xkb.layout.ru"), 0);
    EXPECT_EQ(keys.plainCharacter(*keys.xKeyCode(12)), QStringLiteral("й"));
    ASSERT_EQ(sources.select("xkb.layout.us"), 0);
}
