// The Shortcuts page of the real binary: a recorder takes real key presses, stores them in
// defaults.ini and the new hot key works at once; recording one of our own hot keys runs
// nothing; leaving the window while recording gives the hot keys back.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <iostream>

#include "support/NiveloRoad.h"

namespace {

QString storedDefaults(const XSession& session) {
    QFile file(session.path(".config/ai.nivelo.native/defaults.ini"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Window coordinates of the recorders: the quick menu's in the first row, the "Fix" style's
// in the first row under "Styles".
constexpr int kRecorderX = 738;
constexpr int kQuickMenuY = 147;
constexpr int kFixStyleY = 489;

QString lastAction(NiveloRoad& road) {
    const auto& requests = road.backend().requests();
    return requests.isEmpty() ? QString()
                              : QJsonDocument::fromJson(requests.last().body)
                                    .object()
                                    .value("action")
                                    .toString();
}

void pause(int ms) {
    XSession::waitUntil([] { return false; }, ms);
}

}  // namespace

TEST(ShortcutsRecorder, RecordsRealPressesAndOwnHotKeysRunNothing) {
    NiveloRoad::Options options;
    options.niveloBinary = NIVELO_BINARY;
    options.testEditor = NIVELO_TEST_EDITOR;
    options.defaults = {{"nivelo.openMainWindowOnLaunch", "true"}};
    NiveloRoad road(options);
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    const QString window = session.waitForWindow(QStringLiteral("^NiveloAI$"));
    ASSERT_FALSE(window.isEmpty());
    session.xdotool({"windowsize", window, "900", "760"});
    const QString editor = session.startAndActivate("mousepad", "mousepad", false);
    ASSERT_FALSE(editor.isEmpty());
    pause(500);
    session.type("fix me");
    const auto clickInSettings = [&](int x, int y) {
        session.xdotool({"windowactivate", "--sync", window});
        pause(300);
        session.xdotool({"mousemove", "--window", window, QString::number(x), QString::number(y),
                         "click", "1"});
        pause(300);
    };
    clickInSettings(100, 390);  // the Shortcuts row

    // Quick menu: Super+Shift+K is stored and opens the quick panel over mousepad.
    clickInSettings(kRecorderX, kQuickMenuY);
    road.pressKeys({"Super_L", "Shift_L", "k"});
    ASSERT_TRUE(XSession::waitUntil([&] {
        return storedDefaults(session).contains("quickMenuHotkey=Command+Shift+K");
    })) << road.diagnostics("shortcuts-quick-menu").toStdString();
    std::cout << "shortcuts page: " << session.screenshot("shortcuts").toStdString() << std::endl;
    session.xdotool({"windowactivate", "--sync", editor});
    pause(300);
    road.pressKeys({"Super_L", "Shift_L", "k"});
    EXPECT_TRUE(XSession::waitUntil([&] {
        return !session.xdotool({"search", "--onlyvisible", "--classname", "^nivelo$"}).isEmpty();
    }));
    session.key("Escape");
    pause(300);

    // Recording ends when mousepad takes the focus: Alt+1 runs "Fix" there.
    clickInSettings(kRecorderX, kQuickMenuY + 62);
    session.xdotool({"windowactivate", "--sync", editor});
    pause(300);
    road.pressAltHotKey("1");
    EXPECT_TRUE(XSession::waitUntil([&] { return road.backend().requestCount() == 1; }))
        << road.diagnostics("shortcuts-alt-1").toStdString();
    EXPECT_EQ(lastAction(road), "fix");

    // Alt+2, Friendly's hot key, recorded for "Fix": stored, and nothing runs.
    clickInSettings(kRecorderX, kFixStyleY);
    road.pressAltHotKey("2");
    EXPECT_TRUE(XSession::waitUntil([&] {
        return storedDefaults(session).contains(R"(\"hotkey\":\"Alt+2\")");
    })) << storedDefaults(session).toStdString();
    pause(1000);
    EXPECT_EQ(road.backend().requestCount(), 1);

    // Of two styles with one key the earlier keeps it: Alt+2 now runs "Fix".
    session.xdotool({"windowactivate", "--sync", editor});
    pause(300);
    road.pressAltHotKey("2");
    EXPECT_TRUE(XSession::waitUntil([&] { return road.backend().requestCount() == 2; }));
    EXPECT_EQ(lastAction(road), "fix");
    session.key("ctrl+a");
    session.key("ctrl+c");
    EXPECT_TRUE(XSession::waitUntil([&] { return session.clipboardText() == "FIX ME"; }))
        << session.clipboardText().toStdString();
}
