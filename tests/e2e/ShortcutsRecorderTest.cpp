// The Shortcuts page of the real binary: a recorder takes real key presses, stores them in
// defaults.ini and the new hot key works at once; recording one of our own hot keys runs
// nothing, and one that another command holds is refused; leaving the window while recording
// gives the hot keys back.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>
#include <iostream>

#include "support/NiveloRoad.h"

namespace {

// Window coordinates of the recorders of the quick menu (first row) and of "Fix" (first row
// under "Styles").
constexpr int kRecorderX = 738, kQuickMenuY = 147, kFixStyleY = 489;

}  // namespace

TEST(ShortcutsRecorder, RecordsRealPressesAndOwnHotKeysRunNothing) {
    NiveloRoad road(
        {NIVELO_BINARY, NIVELO_TEST_EDITOR, false, {{"nivelo.openMainWindowOnLaunch", "true"}}});
    XSession& session = road.session();
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    const QString window = session.waitForWindow(QStringLiteral("^NiveloAI$"));
    session.xdotool({"windowsize", window, "900", "760"});
    const QString editor = session.startAndActivate("mousepad", "mousepad", false);
    ASSERT_FALSE(window.isEmpty() || editor.isEmpty());
    const auto pause = [] { XSession::waitUntil([] { return false; }, 400); };
    pause();
    session.type("fix me");
    const auto activate = [&](const QString& w) {
        session.xdotool({"windowactivate", "--sync", w});
        pause();
    };
    const auto clickInSettings = [&](int x, int y) {
        activate(window);
        session.xdotool({"mousemove", "--window", window, QString::number(x), QString::number(y),
                         "click", "1"});
        pause();
    };
    const auto stores = [&](const QString& pattern) {
        return XSession::waitUntil([&] {
            QFile file(session.path(".config/ai.nivelo.native/defaults.ini"));
            return file.open(QIODevice::ReadOnly) &&
                   QString::fromUtf8(file.readAll()).contains(QRegularExpression(pattern));
        });
    };
    const auto requestedAction = [&](int count) {
        return XSession::waitUntil([&] { return road.backend().requestCount() == count; })
                   ? QJsonDocument::fromJson(road.backend().requests().last().body)["action"]
                         .toString()
                   : QString();
    };
    clickInSettings(100, 390);  // the Shortcuts row

    // Quick menu: Super+Shift+K is stored and opens the quick panel over mousepad.
    clickInSettings(kRecorderX, kQuickMenuY);
    road.pressKeys({"Super_L", "Shift_L", "k"});
    ASSERT_TRUE(stores(R"(quickMenuHotkey=Command\+Shift\+K)"))
        << road.diagnostics("shortcuts-quick-menu").toStdString();
    std::cout << "shortcuts page: " << session.screenshot("shortcuts").toStdString() << std::endl;
    activate(editor);
    road.pressKeys({"Super_L", "Shift_L", "k"});
    const auto panelShown = [&] {  // beside the settings window
        return session.xdotool({"search", "--onlyvisible", "--classname", "^nivelo$"})
                   .split('\n', Qt::SkipEmptyParts)
                   .size() > 1;
    };
    EXPECT_TRUE(XSession::waitUntil(panelShown));
    road.pressKeys({"Super_L", "Shift_L", "k"});  // and closes it again
    EXPECT_TRUE(XSession::waitUntil([&] { return !panelShown(); }));

    // Recording ends when mousepad takes the focus: Alt+1 runs "Fix" there.
    clickInSettings(kRecorderX, kQuickMenuY + 62);
    activate(editor);
    road.pressAltHotKey("1");
    EXPECT_EQ(requestedAction(1), "fix") << road.diagnostics("shortcuts-alt-1").toStdString();

    // Alt+2, Friendly's hot key, recorded for "Fix": refused, nothing stored, nothing runs.
    clickInSettings(kRecorderX, kFixStyleY);
    road.pressAltHotKey("2");
    pause();
    QFile stored(session.path(".config/ai.nivelo.native/defaults.ini"));
    EXPECT_FALSE(
        stored.open(QIODevice::ReadOnly) &&
        QString::fromUtf8(stored.readAll())
            .contains(QRegularExpression(R"(\\"original\\"[^}]*\\"hotkey\\":\\"Alt\+2\\")")))
        << road.diagnostics("shortcuts-fix-alt-2").toStdString();
    std::cout << "refused: " << session.screenshot("shortcuts-refused").toStdString() << std::endl;
    EXPECT_EQ(road.backend().requestCount(), 1);

    // "Fix" keeps Alt+1.
    activate(editor);
    road.pressAltHotKey("1");
    EXPECT_EQ(requestedAction(2), "fix");
    session.key("ctrl+a");
    session.key("ctrl+c");
    EXPECT_TRUE(XSession::waitUntil([&] { return session.clipboardText() == "FIX ME"; }));
}
