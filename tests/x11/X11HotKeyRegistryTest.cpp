#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11HotKeyRegistry.h"
#include "platform/x11/X11InputSources.h"
#include "platform/x11/X11KeyEvents.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

#include "platform/x11/Xlib.h"

namespace {
constexpr quint16 kKey1 = 18;
constexpr quint16 kKeyA = 0;
constexpr HotKeyId kFix{fourCharCode("NVLH"), 1};
constexpr HotKeyId kLayout{fourCharCode("NVLH"), 2};

struct HotKeyFixture : ::testing::Test {
    std::shared_ptr<X11Connection> connection = std::make_shared<X11Connection>();
    X11HotKeyRegistry registry{connection};
    QList<quint32> pressed;

    void SetUp() override {
        ASSERT_EQ(registry.installHandler([this](HotKeyId id) { pressed.append(id.id); }), 0);
    }
    bool waitForPresses(int count) {
        return XSession::waitUntil([&] { return pressed.size() >= count; }, 15000);
    }
};

// A window of a connection of its own that records the keys it receives ("+name", "-name").
class KeyWindow {
public:
    KeyWindow() {
        Display* display = connection_->display();
        window_ = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 300, 200, 0, 0, 0);
        XSelectInput(display, window_, KeyPressMask | KeyReleaseMask);
        XWMHints hints{};
        hints.flags = InputHint;
        hints.input = True;
        XSetWMHints(display, window_, &hints);
        XMapWindow(display, window_);
        XFlush(display);
        listener_ = connection_->addListener([this](XEvent& event) {
            if ((event.type == KeyPress || event.type == KeyRelease) &&
                event.xkey.window == window_) {
                const KeySym sym =
                    XkbKeycodeToKeysym(connection_->display(), XKeyCode(event.xkey.keycode), 0, 0);
                const char* name = XKeysymToString(sym);
                events_.append((event.type == KeyPress ? "+" : "-") +
                               QString::fromLatin1(name ? name : "?"));
            }
        });
    }
    ~KeyWindow() {
        connection_->removeListener(listener_);
        XDestroyWindow(connection_->display(), window_);
        XFlush(connection_->display());
    }
    QString id() const { return QString::number(window_); }
    QStringList events() {
        XSync(connection_->display(), False);
        connection_->dispatchPending();
        return events_;
    }
    void clear() {
        events();
        events_.clear();
    }
    // Whether no client holds the keyboard grabbed (or frozen) now.
    bool keyboardFree() {
        Display* display = connection_->display();
        const bool free = XGrabKeyboard(display, DefaultRootWindow(display), False, GrabModeAsync,
                                        GrabModeAsync, CurrentTime) == GrabSuccess;
        XUngrabKeyboard(display, CurrentTime);
        XSync(display, False);
        return free;
    }

    // The letters (one-letter key names) pressed in the window, in order.
    QString letters() {
        QString typed;
        for (const QString& event : events()) {
            if (event.size() == 2 && event[0] == '+' && event[1].isLower()) {
                typed += event[1];
            }
        }
        return typed;
    }

private:
    std::shared_ptr<X11Connection> connection_ = std::make_shared<X11Connection>();
    Window window_ = None;
    QStringList events_;
    int listener_ = 0;
};

// Alt went down and came up with no key between: a Qt or KDE menu bar takes the keyboard.
bool altUpAlone(const QStringList& events) {
    return events.join(' ').contains("+Alt_L -Alt_L");
}

// Types through XTest on a connection of its own, as a person would: Alt+1 (held 40 ms), then
// the letters 40 ms apart from 40 ms after the release. `pressed` turns true at the press.
void typeAfterAlt1(const QByteArray& displayName, const QByteArray& letters,
                   std::atomic<bool>* pressed) {
    Display* display = XOpenDisplay(displayName.constData());
    const auto send = [&](KeySym sym, bool down, int thenMs) {
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, sym), down, CurrentTime);
        XSync(display, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(thenMs));
    };
    send(XK_Alt_L, true, 0);
    send(XK_1, true, 0);
    *pressed = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    send(XK_1, false, 0);
    send(XK_Alt_L, false, 40);
    for (char letter : letters) {
        send(KeySym(letter), true, 0);
        send(KeySym(letter), false, 40);
    }
    XCloseDisplay(display);
}
}  // namespace

TEST_F(HotKeyFixture, FiresForItsKeysWhateverTheLockKeys) {
    ASSERT_EQ(registry.registerHotKey(kFix, kKey1, HotKeyModifier::Option), 0);
    ASSERT_EQ(registry.registerHotKey(kLayout, kKeyA, HotKeyModifier::Option), 0);
    x11Session().xdotool({"key", "alt+1"});
    ASSERT_TRUE(waitForPresses(1));
    x11Session().xdotool({"key", "Caps_Lock", "Num_Lock"});
    x11Session().xdotool({"key", "alt+a"});
    ASSERT_TRUE(waitForPresses(2));
    x11Session().xdotool({"key", "Caps_Lock", "Num_Lock"});
    // In the ru layout the key of A is still the layout hot key.
    X11InputSources layouts(connection);
    ASSERT_EQ(layouts.select("xkb.layout.ru"), 0);
    x11Session().xdotool({"key", "alt+a"});
    ASSERT_TRUE(waitForPresses(3));
    layouts.select("xkb.layout.us");
    EXPECT_EQ(pressed, QList<quint32>({1, 2, 2}));

    // Other modifiers, and unregistered keys, do nothing: the next registered key pressed
    // after them is the next one heard (the server delivers in order).
    x11Session().xdotool({"key", "ctrl+alt+1"});
    registry.unregisterHotKey(kFix);
    x11Session().xdotool({"key", "alt+1"});
    x11Session().xdotool({"key", "alt+a"});
    ASSERT_TRUE(waitForPresses(4));
    EXPECT_EQ(pressed, QList<quint32>({1, 2, 2, 2}));

    // Super and Control+Shift combinations.
    ASSERT_EQ(registry.registerHotKey(kFix, kKey1, HotKeyModifier::Command), 0);
    ASSERT_EQ(registry.registerHotKey({kFix.signature, 3}, kKey1,
                                      HotKeyModifier::Control | HotKeyModifier::Shift),
              0);
    x11Session().xdotool({"key", "super+1"});
    x11Session().xdotool({"key", "ctrl+shift+1"});
    ASSERT_TRUE(waitForPresses(6));
    EXPECT_EQ(pressed, QList<quint32>({1, 2, 2, 2, 1, 3}));
}

// Keys another client grabbed already are refused with a status, and the same keys twice too.
TEST_F(HotKeyFixture, RefusesKeysThatAreTaken) {
    X11Connection other;
    Display* display = other.display();
    const XKeyCode f = XKeysymToKeycode(display, XK_F);
    XGrabKey(display, f, ControlMask | Mod1Mask, DefaultRootWindow(display), False, GrabModeAsync,
             GrabModeAsync);
    XSync(display, False);
    EXPECT_EQ(registry.registerHotKey(kFix, 3, HotKeyModifier::Control | HotKeyModifier::Option),
              X11HotKeyRegistry::kKeysTaken);

    ASSERT_EQ(registry.registerHotKey(kFix, kKey1, HotKeyModifier::Option), 0);
    EXPECT_EQ(registry.registerHotKey(kLayout, kKey1, HotKeyModifier::Option),
              X11HotKeyRegistry::kKeysTaken);
    EXPECT_EQ(registry.registerHotKey(kLayout, 999, HotKeyModifier::Option),
              X11HotKeyRegistry::kInvalidKey);
}

// The focused window sees the hot key's Alt go down but never come up with no key between
// (a Qt menu bar would take the keyboard), whichever key is let go first; the keys the app
// sends while Alt is still held reach it, and so does what the user types next.
TEST_F(HotKeyFixture, TheFocusedWindowNeverSeesAltGoUpAlone) {
    KeyWindow window;
    ASSERT_TRUE(x11Session().activate(window.id()));
    ASSERT_EQ(registry.registerHotKey(kFix, kKey1, HotKeyModifier::Option), 0);
    X11KeyEvents keys{connection};
    // The order the keys are let go in; none: Select All is sent while both are held.
    const QList<QStringList> releases{{"alt", "1"}, {"1", "alt"}, {}};
    QStringList failed;
    for (const QStringList& release : releases) {
        window.clear();
        const int count = int(pressed.size()) + 1;
        x11Session().xdotool({"keydown", "alt+1"});
        ASSERT_TRUE(waitForPresses(count));
        const bool sends = release.isEmpty();
        if (sends) {
            keys.postKey(KeyCode::A, KeyModifier::Control, true);
            keys.postKey(KeyCode::A, KeyModifier::Control, false);
        }
        for (const QString& key : sends ? QStringList{"1", "alt"} : release) {
            x11Session().xdotool({"keyup", key});
        }
        XSession::waitUntil([&] { return window.keyboardFree(); });
        x11Session().xdotool({"key", "y"});
        XSession::waitUntil([&] { return window.events().contains("-y"); });
        const QStringList events = window.events();
        if (altUpAlone(events) || !events.contains("+y") || (sends && !events.contains("+a"))) {
            failed.append((sends ? "sent" : release.first() + " first") + ": " + events.join(" "));
        }
    }
    EXPECT_TRUE(failed.isEmpty()) << failed.join("\n").toStdString();
}

// Once Alt is up, what is typed while the hot key is still held reaches the focused window;
// holding the key for a second runs it once.
TEST_F(HotKeyFixture, LettingGoOfAltEndsTheGrabAndAutoRepeatRunsOnce) {
    const QString dump = x11Session().path("grab.txt");
    const QString window = startTestEditor(dump, "Grab Editor");
    ASSERT_FALSE(window.isEmpty());
    x11Session().activate(window);
    ASSERT_EQ(registry.registerHotKey(kFix, kKey1, HotKeyModifier::Option), 0);

    x11Session().xdotool({"keydown", "alt+1"});
    ASSERT_TRUE(waitForPresses(1));
    // Held past the auto-repeat delay.
    pause(1200);
    x11Session().xdotool({"keyup", "alt"});
    // Auto-repeat presses with Alt down re-start the grab until they are handled.
    pause(150);
    x11Session().xdotool({"key", "x"});
    x11Session().xdotool({"keyup", "1"});
    EXPECT_TRUE(XSession::waitUntil([&] { return readTextFile(dump).contains("x"); }))
        << readTextFile(dump).toStdString();
    pause(200);
    EXPECT_EQ(pressed.size(), 1);

    // Released and pressed again: it runs again.
    x11Session().xdotool({"key", "alt+1"});
    EXPECT_TRUE(waitForPresses(2));
}

// The keyboard never waits on the GUI thread: letters typed after a hot key whose press meets
// a stalled GUI thread all reach the focused window, in order.
TEST_F(HotKeyFixture, KeysTypedAfterAHotKeyArriveWhileTheGuiThreadStalls) {
    KeyWindow window;
    ASSERT_TRUE(x11Session().activate(window.id()));
    ASSERT_EQ(registry.registerHotKey(kFix, kKey1, HotKeyModifier::Option), 0);
    const QByteArray letters = "qwertyuiopzx";
    QStringList failed;
    for (const int stallMs : {300, 2000}) {
        window.clear();
        const int count = int(pressed.size()) + 1;
        std::atomic<bool> sent = false;
        std::thread person(typeAfterAlt1, x11Session().display().toLatin1(), letters, &sent);
        while (!sent) {
            std::this_thread::yield();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(stallMs));
        person.join();
        const bool fired = waitForPresses(count);
        XSession::waitUntil([&] { return window.letters() == letters; }, 5000);
        if (!fired || window.letters() != letters) {
            failed.append(QString("%1 ms: %2").arg(stallMs).arg(window.events().join(' ')));
        }
    }
    EXPECT_TRUE(failed.isEmpty()) << failed.join("\n").toStdString();
}

// With Alt still held after an Alt hot key, Alt+letters reach the focused window and Alt+Tab
// the window manager, as after Alt and a key that is no hot key.
TEST_F(HotKeyFixture, KeysPressedWithAltStillHeldGoOnAsAfterAnyAltKey) {
    KeyWindow window;
    KeyWindow other;
    ASSERT_TRUE(x11Session().activate(other.id()));
    ASSERT_EQ(registry.registerHotKey(kFix, kKey1, HotKeyModifier::Option), 0);
    QStringList failed;
    for (const QString& key : QStringList{"j", "1"}) {
        ASSERT_TRUE(x11Session().activate(window.id()));
        window.clear();
        const int count = int(pressed.size()) + 1;
        x11Session().xdotool({"keydown", "alt+" + key});
        if (key == "1") {
            ASSERT_TRUE(waitForPresses(count));
        }
        x11Session().xdotool({"key", "f", "b"});
        x11Session().xdotool({"keyup", key});
        x11Session().xdotool({"key", "Tab"});
        x11Session().xdotool({"keyup", "alt"});
        const bool switched = XSession::waitUntil(
            [&] { return x11Session().activeWindow() != window.id().toULong(); }, 5000);
        if (!switched || window.letters() != (key == "j" ? "jfb" : "fb")) {
            failed.append("alt+" + key + (switched ? ": " : " (Tab unseen): ") +
                          window.events().join(' '));
        }
    }
    EXPECT_TRUE(failed.isEmpty()) << failed.join("\n").toStdString();
}
