#include <gtest/gtest.h>

#include "Fakes.h"
#include "capture/HotkeyKeys.h"
#include "capture/HotkeyService.h"
#include "capture/ParsedHotkey.h"
#include "support/SimulatedHotKeyRegistry.h"
#include "support/VirtualClock.h"

namespace {

using Kind = HotkeyService::Action::Kind;
using Reg = std::tuple<quint32, quint16, quint32, Kind, QString>;  // id, key, mods, action, style
constexpr quint32 kCmd = HotKeyModifier::Command;
constexpr quint32 kAlt = HotKeyModifier::Option;
constexpr quint32 kCtrl = HotKeyModifier::Control;
constexpr quint32 kShift = HotKeyModifier::Shift;

class HotkeyServiceTest : public ::testing::Test {
protected:
    HotkeyServiceTest() {
        NiveloSettings& s = state.edit();
        s.assistantHotkey = "Alt+I";
        s.clipboardHotkey = "Option+V";
        s.layoutHotkey = "⌥+a";
        s.translatePreviewHotkey = "Alt+R";
        s.quickMenuHotkey = " cmd + SHIFT + space ";
        s.promptStyles = {PromptStyle{"friendly", "", "p", "Command+1", true},
                          PromptStyle{"translate", "", "p", "⌘+T", true}};
        s.aiReplyStyles = {AIReplyStyle{"polite", "polite", "prompt", "Ctrl+Control+R"}};
        s.targetLanguage = "German";
    }

    void start() { service.start(&state, &panels, &clipboard); }
    // What is registered now, in registration order, all under the "NVLH" signature.
    QList<Reg> registered() const {
        QList<Reg> out;
        for (const auto& r : registry.registrations()) {
            EXPECT_EQ(r.id.signature, 0x4E564C48u);
            const auto action = service.registeredActions().value(r.id.id);
            out.append({r.id.id, r.keyCode, r.modifiers, action.kind, action.styleId});
        }
        EXPECT_EQ(service.registeredActions().size(), out.size());
        return out;
    }
    // The failed statuses shown, each as its message.
    QStringList failures() const {
        QStringList out;
        for (const ActionStatus& status : state.statuses) {
            out << (status.kind() == ActionStatus::Kind::failed ? status.message() : "?");
        }
        return out;
    }
    bool press(quint16 keyCode, quint32 modifiers) {
        const bool hit = registry.press(keyCode, modifiers);
        VirtualClock::flushEvents();
        VirtualClock::flushEvents();
        return hit;
    }

    SimulatedHotKeyRegistry registry;
    FakeSelectionCapture capture;
    FakePanels panels;
    FakeClipboardPanel clipboard;
    FakeAppState state;
    HotkeyService service{{registry, capture, &panels, &panels}};
};

}  // namespace

// Names, glyphs and synonyms in any case and spacing all read; a modifier named twice is simply
// set. Ids count from one in each registration; a key that is blank, unassigned, repeated,
// unreadable or refused takes no id and costs no other one; the next change tries again.
TEST_F(HotkeyServiceTest, RegistersEverySourceInOrderAgainOnEveryChange) {
    start();
    // clang-format off
    EXPECT_EQ(registered(), (QList<Reg>{
        {1, 34, kAlt, Kind::assistant, ""}, {2, 9, kAlt, Kind::clipboard, ""},
        {3, 0, kAlt, Kind::layout, ""}, {4, 15, kAlt, Kind::translationPreview, ""},
        {5, 18, kCmd, Kind::style, "friendly"}, {6, 17, kCmd, Kind::style, "translate"},
        {7, 15, kCtrl, Kind::reply, "polite"}, {8, 49, kCmd + kShift, Kind::quickMenu, ""}}));
    // clang-format on
    FakeAppState other;
    service.start(&other, &panels, &clipboard);  // a second start does nothing
    VirtualClock::flushEvents();
    EXPECT_EQ(registry.registerCalls(), 8);

    registry.refused[{34, kAlt}] = 10;
    state.change([](NiveloSettings& s) {
        s.clipboardHotkey = " not ASSIGNED ";
        s.layoutHotkey = "F5";  // a bare key registers without modifiers
        s.translatePreviewHotkey = "Alt+Foo";
        s.quickMenuHotkey = "command+t";  // the keys of "translate"
        s.promptStyles.prepend(PromptStyle{"emoji", "", "p", "Command+Delete", true});
        s.aiReplyStyles.first().hotkey = "  ";
    });
    VirtualClock::flushEvents();
    EXPECT_EQ(registered(), (QList<Reg>{{1, 96, 0, Kind::layout, ""},
                                        {2, 18, kCmd, Kind::style, "friendly"},
                                        {3, 17, kCmd, Kind::style, "translate"}}));
    EXPECT_EQ(failures(), (QStringList{"Could not register Alt+I: 10", "Invalid hotkey: Alt+Foo",
                                       "Invalid hotkey: Command+Delete"}));

    registry.refused.clear();
    state.change([](NiveloSettings& s) { s.assistantHotkey = "Alt+I"; });
    VirtualClock::flushEvents();
    EXPECT_EQ(std::get<3>(registered().first()), Kind::assistant);
}

// Until a start succeeds, and after stop, the settings are not followed.
TEST_F(HotkeyServiceTest, ARefusedHandlerOrStopLeavesNothingRegistered) {
    registry.installStatus = -1;
    start();
    EXPECT_EQ(failures(), QStringList{"Could not install hotkey handler: -1"});
    registry.installStatus = 0;
    for (int run = 0; run < 2; ++run) {
        state.change([](NiveloSettings&) {});
        VirtualClock::flushEvents();
        EXPECT_TRUE(registry.registrations().isEmpty());
        start();
        EXPECT_EQ(registered().size(), 8);
        service.stop();
    }
    EXPECT_FALSE(registry.hasHandler());
}

// Styles, the layout fix and the translation preview remember the target; the assistant gets
// the untrimmed selection, a reply a trimmed one or a fast copy.
TEST_F(HotkeyServiceTest, PressesRunTheirActionOrOpenTheirPanel) {
    start();
    capture.accessibilityText = "  some text\n";
    const QList<std::pair<quint16, quint32>> keys{
        {18, kCmd}, {17, kCmd}, {0, kAlt}, {49, kCmd + kShift}, {9, kAlt}, {15, kAlt}, {34, kAlt}};
    for (auto [key, mods] : keys) {
        press(key, mods);
    }
    capture.accessibilityText = " ";
    capture.copiedText = "\nCopied message\n";
    press(15, kCtrl);
    capture.copyFails = true;
    press(15, kCtrl);
    EXPECT_EQ(state.runs, (QStringList{"style:friendly paste=1 sample=0",
                                       "translate paste=1 sample=0", "layout paste=1 sample=0"}));
    EXPECT_EQ(panels.log,
              (QStringList{"quick.toggle", "translation.show", "assistant.show:  some text\n",
                           "assistant.reply:Copied message|polite|German"}));
    EXPECT_EQ(clipboard.toggles, 1);
    EXPECT_EQ(capture.rememberCalls, 7);
    EXPECT_FALSE(capture.lastSelectAll || capture.lastFallback);
    EXPECT_EQ(capture.lastTiming, PasteboardTiming::fast());
    EXPECT_EQ(failures(), QStringList{"Select a message to reply to"});
}

// A press keeps the meaning its id had when it was made; an unknown id, a removed style or a
// panel the app does not have yet does nothing, not even remembering the target.
TEST_F(HotkeyServiceTest, PressesThatCannotActDoNothing) {
    start();
    state.change([](NiveloSettings& s) { s.assistantHotkey = "Not assigned"; });
    press(34, kAlt);
    EXPECT_EQ(service.registeredActions().value(1).kind, Kind::clipboard);
    EXPECT_EQ(panels.log, (QStringList{"assistant.show:"}));

    panels.log.clear();
    capture.rememberCalls = capture.peekCalls = 0;
    registry.pressId({HotkeyService::signature, 99});
    state.edit().aiReplyStyles.clear();
    press(15, kCtrl);
    HotkeyService partial{{registry, capture}};
    service.stop();
    state.edit().assistantHotkey = "Alt+I";
    partial.start(&state, &panels, &clipboard);
    capture.accessibilityText = "How are you?";
    EXPECT_TRUE(press(34, kAlt));
    EXPECT_TRUE(press(15, kAlt));
    EXPECT_TRUE(panels.log.isEmpty());
    EXPECT_EQ(capture.rememberCalls + capture.peekCalls, 0);
    EXPECT_TRUE(state.statuses.isEmpty() && state.runs.isEmpty());
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
}
