#include <gtest/gtest.h>

#include <QProcess>
#include <csignal>
#include <functional>
#include <memory>

#include "E2eRoadOptions.h"

// A Qt editor with a menu bar (FeatherPad) keeps the keyboard after each Alt hot key, whichever
// key the user lets go of first and however quickly: what is typed next lands in the document,
// also when it is typed while nivelo is stopped. The backend fails, so the hot keys that read
// the selection (by a Copy that must reach the editor) leave it be.
namespace {

struct HotKeyCase {
    QString key;
    // The window it opens (a title pattern; empty: none) and whether it reads the selection.
    QString window;
    bool reads = false;
    // What the document holds once "hello" is typed after it.
    QString text = "hello";
};

// A hot key that reads the selection without waiting for the user to let go.
struct HeldCase {
    QString name;
    QStringList keys;
    // The key pressed with Alt still held, once the hot key has done its work.
    QString then;
    std::function<bool()> done;
    std::function<bool()> kept;
};

struct Press {
    NiveloRoad::Release order;
    int holdMs = 0;
    QString name;
};

}  // namespace

// nivelo with its backend down (every action fails at once, after its keys went out), and
// FeatherPad in front.
class AltHotKeyRoad : public ::testing::Test {
protected:
    void SetUp() override {
        NiveloRoad::Options options = e2eRoadOptions();
        options.defaults = {{"nivelo.autoSelectAllBeforeAction", "false"}};
        road_ = std::make_unique<NiveloRoad>(options);
        XSession& session = road_->session();
        ASSERT_TRUE(session.isReady()) << session.error().toStdString();
        road_->backend().setHandler(
            [](const RecordedRequest&) { return CannedReply::json(500, R"({"error":"down"})"); });
        ASSERT_TRUE(road_->startNivelo()) << road_->error().toStdString();
        editor_ = session.startAndActivate("featherpad", "featherpad");
        ASSERT_FALSE(editor_.isEmpty());
        XSession::pause(300);
    }

    // Whether the focused document holds `text` alone, as its own Select All and Copy give it.
    bool editorHolds(const QString& text) {
        XSession& session = road_->session();
        session.setClipboardText("not copied");
        return XSession::waitUntil(
            [&] {
                session.key("ctrl+a");
                session.key("ctrl+c");
                return session.clipboardText() == text;
            },
            6000);
    }

    std::unique_ptr<NiveloRoad> road_;
    QString editor_;
};

TEST_F(AltHotKeyRoad, AQtEditorKeepsTheKeyboardAfterEachHotKeyLetGoInEitherOrder) {
    NiveloRoad& road = *road_;
    XSession& session = road.session();
    const QString editor = editor_;

    const QList<HotKeyCase> cases{{"1", "", true},
                                  {"q", "^NiveloAI Quick Menu$"},
                                  {"v", "^NiveloAI Clipboard$"},
                                  {"r", "^NiveloAI Translation Preview$", true},
                                  {"a", "", false, QString::fromUtf8("щтуhello")}};
    using Release = NiveloRoad::Release;
    const QList<Press> presses{{Release::altFirst, 150, "alt let go first"},
                               {Release::keyFirst, 150, "key let go first"},
                               {Release::keyFirst, 0, "a quick tap"}};
    const auto landed = [this](const QString& text = "hello") { return editorHolds(text); };
    QStringList failed;
    for (const HotKeyCase& hotKey : cases) {
        for (const Press& press : presses) {
            const QString name = "alt+" + hotKey.key + ", " + press.name;
            session.activate(editor);
            session.key("ctrl+a");
            session.type("one");
            session.key("shift+Home");
            const int requests = road.backend().requestCount();

            road.holdAltHotKey(hotKey.key, press.order, press.holdMs);
            if (hotKey.reads && !XSession::waitUntil([&] {
                    return road.backend().requestCount() > requests &&
                           road.backend().requests().last().body.contains("\"text\":\"one\"");
                })) {
                failed.append(name + ": the selection was not read");
            }
            if (!hotKey.window.isEmpty()) {
                XSession::waitUntil(
                    [&] { return !session.visibleWindowTitled(hotKey.window).isEmpty(); });
            }
            // The layout fix pastes its text and then switches to the layout it belongs to.
            if (hotKey.key == "a" &&
                !XSession::waitUntil([&] { return session.currentLayoutGroup() == 1; })) {
                failed.append(name + ": the layout was not fixed");
            }
            road.lockLayoutGroup(0);
            if (hotKey.key == "r") {
                // The preview takes the keyboard; Escape closes it and the editor has it back.
                XSession::waitUntil([&] {
                    return session.activeWindow() ==
                           session.visibleWindowTitled(hotKey.window).toULong();
                });
                session.key("Escape");
                XSession::waitUntil([&] { return session.isActive(editor); });
            }
            session.type("hello");
            if (!landed(hotKey.text)) {
                failed.append(name + ": " + road.diagnostics("alt-hot-key-" + hotKey.key));
            }
            // Closed as a person would; Escape leaves any menu the editor opened.
            if (!hotKey.window.isEmpty() && hotKey.key != "r") {
                road.pressAltHotKey(hotKey.key);
                XSession::waitUntil(
                    [&] { return session.visibleWindowTitled(hotKey.window).isEmpty(); });
            }
            session.key("Escape");
            session.key("Escape");
        }
    }

    // Stopped just before the press, nivelo holds the keyboard at it: what is typed meanwhile
    // waits, and lands in order once nivelo goes on.
    session.activate(editor);
    session.key("ctrl+a");
    session.key("Delete");
    const pid_t nivelo = pid_t(road.nivelo()->processId());
    ::kill(nivelo, SIGSTOP);
    road.holdAltHotKey("q", Release::keyFirst, 150);
    session.type("hello");
    XSession::pause(300);
    ::kill(nivelo, SIGCONT);
    XSession::waitUntil([&] { return !session.visibleWindowTitled(cases[1].window).isEmpty(); });
    if (!landed()) {
        failed.append("typed while stopped: " + road.diagnostics("alt-hot-key-stopped"));
    }
    EXPECT_TRUE(failed.isEmpty()) << failed.join("\n").toStdString();
}

// The user still holds Alt once the hot key's own keys went out: after the layout fix Alt+F
// opens the editor's File menu rather than typing "f"; after a reply key, whose panel takes the
// keyboard, Alt+Tab goes back to the editor rather than putting a Tab into the panel.
TEST_F(AltHotKeyRoad, AltStillHeldAfterTheAppsKeysStaysHeld) {
    NiveloRoad& road = *road_;
    XSession& session = road.session();
    const QString editor = editor_;

    // Whether the editor, back in front, holds `text` alone.
    const auto holds = [&](const QString& text) {
        session.key("Escape");
        session.key("Escape");
        session.activate(editor);
        return editorHolds(text);
    };
    const QList<HeldCase> cases{
        {"alt+a",
         {"Alt_L", "a"},
         "f",
         [&] { return session.currentLayoutGroup() == 1; },
         [&] { return holds(QString::fromUtf8("щту")); }},
        {"super+alt+1",
         {"Super_L", "Alt_L", "1"},
         "Tab",
         [&] { return road.backend().requestCount() > 0 && !session.isActive(editor); },
         [&] { return XSession::waitUntil([&] { return session.isActive(editor); }, 6000); }}};
    QStringList failed;
    for (const HeldCase& held : cases) {
        road.lockLayoutGroup(0);
        session.activate(editor);
        session.key("ctrl+a");
        session.type("one");
        session.key("shift+Home");

        road.sendKeys(held.keys, true);
        road.sendKeys({held.keys.last()}, false);
        if (!XSession::waitUntil(held.done)) {
            failed.append(held.name + ": the hot key did nothing");
        }
        road.lockLayoutGroup(0);
        road.sendKeys(held.keys.mid(0, held.keys.size() - 2), false);
        // Held as a person holds it: a window manager takes the keyboard only after the press.
        road.sendKeys({held.then}, true);
        XSession::pause(150);
        road.sendKeys({held.then}, false);
        road.sendKeys({"Alt_L"}, false);
        if (!held.kept()) {
            failed.append(held.name + ": " + road.diagnostics("alt-held-" + held.name));
        }
    }
    EXPECT_TRUE(failed.isEmpty()) << failed.join("\n").toStdString();
}
