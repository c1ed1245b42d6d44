#include <gtest/gtest.h>

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11InputSources.h"
#include "platform/x11/X11KeyEvents.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

namespace {
struct KeyEventsFixture : ::testing::Test {
    std::shared_ptr<X11Connection> connection = std::make_shared<X11Connection>();
    X11KeyEvents keys{connection};

    void shortcut(quint16 keyCode, KeyModifiers modifiers) {
        ASSERT_TRUE(keys.postKey(keyCode, modifiers, true));
        ASSERT_TRUE(keys.postKey(keyCode, modifiers, false));
    }
};

// Raw events reach the recorder's connection a moment after the XTest requests.
QStringList settled(RawKeyRecorder& recorder, const QStringList& expected) {
    XSession::waitUntil([&] { return recorder.events().size() >= expected.size(); }, 15000);
    return recorder.events();
}
}  // namespace

TEST_F(KeyEventsFixture, SendsTheShortcutOnThePhysicalKeyInEveryLayout) {
    ASSERT_TRUE(keys.canPostEvents());
    RawKeyRecorder recorder;
    // In the ru layout the key of A types "ф", but it is still the key Control+A needs.
    X11InputSources layouts(connection);
    ASSERT_EQ(layouts.select("xkb.layout.ru"), 0);
    ASSERT_EQ(x11Session().currentLayoutGroup(), 1);
    recorder.clear();
    shortcut(KeyCode::A, KeyModifier::Control);
    const QStringList expected{"+Control_L", "+a", "-a", "-Control_L"};
    EXPECT_EQ(settled(recorder, expected), expected);
    layouts.select("xkb.layout.us");
}

// The user still holds Alt from the hot key: it is released before Control+A goes down, and
// the editor selects all rather than seeing Control+Alt+A.
TEST_F(KeyEventsFixture, ReleasesModifiersTheUserStillHolds) {
    const QString dump = x11Session().path("keys.txt");
    const QString window = startTestEditor(dump, "Keys Editor");
    ASSERT_FALSE(window.isEmpty());
    x11Session().activate(window);
    x11Session().type("hello");
    ASSERT_TRUE(XSession::waitUntil([&] { return readTextFile(dump) == "hello"; }));

    x11Session().run("xdotool", {"keydown", "alt"});
    ASSERT_TRUE(XSession::waitUntil([&] { return keys.heldModifiers() == KeyModifier::Alt; }));
    RawKeyRecorder recorder;
    shortcut(KeyCode::A, KeyModifier::Control);
    const QStringList expected{"-Alt_L", "+Control_L", "+a", "-a", "-Control_L"};
    EXPECT_EQ(settled(recorder, expected), expected);
    EXPECT_EQ(keys.heldModifiers(), KeyModifiers());
    x11Session().run("xdotool", {"keyup", "alt"});

    x11Session().type("x");
    EXPECT_TRUE(XSession::waitUntil([&] { return readTextFile(dump) == "x"; }))
        << readTextFile(dump).toStdString();
}

TEST_F(KeyEventsFixture, ReadsHeldModifiersAndIgnoresCapsLock) {
    EXPECT_EQ(keys.heldModifiers(), KeyModifiers());
    x11Session().run("xdotool", {"keydown", "ctrl+shift+super"});
    EXPECT_TRUE(XSession::waitUntil([&] {
        return keys.heldModifiers() ==
               (KeyModifier::Control | KeyModifier::Shift | KeyModifier::Command);
    }));
    x11Session().run("xdotool", {"keyup", "ctrl+shift+super"});
    x11Session().run("xdotool", {"key", "Caps_Lock"});
    EXPECT_EQ(keys.heldModifiers(), KeyModifiers());
    x11Session().run("xdotool", {"key", "Caps_Lock"});
}
