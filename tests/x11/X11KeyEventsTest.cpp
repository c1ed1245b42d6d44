#include <gtest/gtest.h>

#include <QProcess>
#include <array>

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11HeldKeys.h"
#include "platform/x11/X11InputSources.h"
#include "platform/x11/X11KeyEvents.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

#include "platform/x11/Xlib.h"

namespace {
struct KeyEventsFixture : ::testing::Test {
    std::shared_ptr<X11Connection> connection = std::make_shared<X11Connection>();
    X11KeyEvents keys{connection};

    void shortcut(quint16 keyCode, KeyModifiers modifiers) {
        ASSERT_TRUE(keys.postKey(keyCode, modifiers, true));
        ASSERT_TRUE(keys.postKey(keyCode, modifiers, false));
    }
};

// A window of the test's own that records each key press with the modifiers it came with.
struct KeyLogWindow {
    Display* display = XOpenDisplay(nullptr);
    Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 200, 100, 0, 0, 0);
    QList<std::pair<QString, unsigned>> presses;

    KeyLogWindow() {
        XStoreName(display, window, "Key Log");
        XSelectInput(display, window, KeyPressMask);
        XMapWindow(display, window);
        XSync(display, False);
    }
    ~KeyLogWindow() { XCloseDisplay(display); }
    void read() {
        XSync(display, False);
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == KeyPress) {
                const char* name = XKeysymToString(
                    XkbKeycodeToKeysym(display, XKeyCode(event.xkey.keycode), 0, 0));
                presses.append({QString::fromLatin1(name ? name : "?"), event.xkey.state});
            }
        }
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
    const QStringList expected{"+Control_L", "+a", "-Control_L", "-a"};
    EXPECT_EQ(settled(recorder, expected), expected);
    layouts.select("xkb.layout.us");
}

// The user still holds Alt from the hot key: it is released before Control+A goes down, and
// the editor selects all rather than seeing Control+Alt+A; then Alt is held again.
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
    const QStringList expected{"-Alt_L", "+Control_L", "+a", "-Control_L", "+Alt_L", "-a"};
    EXPECT_EQ(settled(recorder, expected), expected);
    // The user still holds Alt: Alt+Tab and Alt+letters go on working.
    EXPECT_EQ(keys.heldModifiers(), KeyModifier::Alt);
    x11Session().run("xdotool", {"keyup", "alt"});
    EXPECT_EQ(keys.heldModifiers(), KeyModifiers());

    x11Session().type("x");
    EXPECT_TRUE(XSession::waitUntil([&] { return readTextFile(dump) == "x"; }))
        << readTextFile(dump).toStdString();
}

// The user lets go of Alt after the app read it as held and before its release went out: the
// app's press of it again must not leave it down.
TEST_F(KeyEventsFixture, AKeyTheUserLetGoMeanwhileIsNotHeldAgain) {
    Display* display = connection->display();
    x11Session().run("xdotool", {"keydown", "alt"});
    char keymap[32] = {};
    XQueryKeymap(display, keymap);
    const unsigned alt = XKeysymToKeycode(display, XK_Alt_L);
    X11HeldKeys held(display);
    held.letGo({alt}, keymap);
    x11Session().run("xdotool", {"keyup", "alt"});
    held.pressAgain();
    EXPECT_TRUE(held.settle().isEmpty());
    EXPECT_EQ(keys.heldModifiers(), KeyModifiers());
}

// Letters typed 40 ms apart while the app sends its shortcuts: none gains Control, and each
// shortcut comes with Control alone.
TEST_F(KeyEventsFixture, KeysTypedMeanwhileKeepTheirOwnModifiers) {
    KeyLogWindow log;
    ASSERT_TRUE(x11Session().activate(QString::number(log.window)));
    const QString letters = "bdefghijklmnopqrstuwxyz";
    QProcess typist;
    // xdotool spends half its delay between a key's press and release: 40 ms from letter to letter.
    typist.start("xdotool", {"type", "--delay", "80", letters + letters});
    ASSERT_TRUE(typist.waitForStarted());
    int shortcuts = 0;
    while (typist.state() != QProcess::NotRunning) {
        const quint16 key = std::array{KeyCode::A, KeyCode::C, KeyCode::V}[shortcuts++ % 3];
        ASSERT_TRUE(keys.postKey(key, KeyModifier::Control, true));
        pause(20);
        ASSERT_TRUE(keys.postKey(key, KeyModifier::Control, false));
        pause(5);
    }
    log.read();
    QStringList typed;
    QStringList wrong;
    for (const auto& [name, state] : log.presses) {
        if (name.endsWith("_L") || name.endsWith("_R")) {
            continue;
        }
        const bool ours = name == "a" || name == "c" || name == "v";
        if (!ours) {
            typed.append(name);
        }
        if ((state & (ShiftMask | ControlMask | Mod1Mask | Mod4Mask)) !=
            (ours ? unsigned(ControlMask) : 0u)) {
            wrong.append(name + "/" + QString::number(state, 16));
        }
    }
    EXPECT_EQ(typed.join("").toStdString(), (letters + letters).toStdString());
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(" ").toStdString() << " of " << shortcuts;
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
