#include <gtest/gtest.h>

#include <QKeyEvent>

#include "capture/HotkeyKeys.h"
#include "capture/ParsedHotkey.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11InputSources.h"
#include "platform/x11/X11KeyMap.h"
#include "settingswindow/HotkeyFormatter.h"

// Presses as Qt reports them on X11 (the X key code as the scan code), named by the server's
// own keyboard: the key decides the name in either layout; keys without a name give their
// plain character, a keypad digit its digit.
TEST(X11HotkeyCapture, NamesThePhysicalKeyInEveryLayout) {
    auto connection = std::make_shared<X11Connection>();
    X11InputSources sources{connection};
    X11KeyMap& keys = connection->keyMap();
    const auto capture = [&](quint32 xKey, Qt::KeyboardModifiers mods) {
        return HotkeyFormatter::capture(QKeyEvent(QEvent::KeyPress, 0, mods, xKey, 1, 0), &keys)
            .value_or("");
    };
    const auto key = [&](quint16 code) { return keys.xKeyCode(code).value_or(0); };
    for (const char* layout : {"xkb.layout.ru", "xkb.layout.us"}) {
        ASSERT_EQ(sources.select(layout), 0);
        for (const HotkeyKey& k : recorderKeyNames()) {
            const auto parsed = ParsedHotkey::parse(capture(key(k.keyCode), Qt::AltModifier));
            ASSERT_TRUE(parsed) << k.name << " in " << layout;
            EXPECT_EQ(parsed->keyCode, k.keyCode);
        }
        EXPECT_EQ(capture(key(12), Qt::AltModifier), "Alt+Q");
    }
    const auto ctrl = Qt::ControlModifier, meta = Qt::MetaModifier;
    EXPECT_EQ(QStringList({capture(key(0), Qt::ShiftModifier),
                           capture(key(40), Qt::ShiftModifier | Qt::AltModifier | meta),
                           capture(key(49), ctrl), capture(key(96), meta),
                           capture(87, meta),  // keypad 1, KP_End without Num Lock
                           capture(key(36), ctrl) + capture(key(48), ctrl) +
                               capture(key(123), ctrl) + capture(key(0), {})}),
              QStringList({"Shift+A", "Command+Alt+Shift+K", "Control+Space", "Command+F5",
                           "Command+1", ""}));
}
