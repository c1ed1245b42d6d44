#include <gtest/gtest.h>

#include "Fakes.h"
#include "capture/HotkeyService.h"
#include "support/SimulatedHotKeyRegistry.h"
#include "support/VirtualClock.h"

namespace {

using Kind = HotkeyService::Action::Kind;
using Reg = std::tuple<quint32, quint16, quint32, Kind>;  // id, key code, modifiers, action
constexpr quint32 kCmd = HotKeyModifier::Command;
constexpr quint32 kShift = HotKeyModifier::Shift;
constexpr quint32 kAlt = HotKeyModifier::Option;
constexpr quint32 kCtrl = HotKeyModifier::Control;

// What the fixture's settings register.
const QList<Reg> kAll{{1, 34, kAlt, Kind::assistant}, {2, 9, kAlt, Kind::clipboard},
                      {3, 0, kAlt, Kind::layout},     {4, 15, kAlt, Kind::translationPreview},
                      {5, 18, kCmd, Kind::style},     {6, 17, kCmd, Kind::style},
                      {7, 15, kCtrl, Kind::reply},    {8, 49, kCmd + kShift, Kind::quickMenu}};

PromptStyle promptStyle(const QString& id, const QString& hotkey) {
    return PromptStyle{id, id, QStringLiteral("prompt"), hotkey, true};
}

class HotkeyServiceTest : public ::testing::Test {
protected:
    HotkeyServiceTest() {
        NiveloSettings& s = state.edit();
        s.assistantHotkey = "Alt+I";
        s.clipboardHotkey = "Alt+V";
        s.layoutHotkey = "Alt+A";
        s.translatePreviewHotkey = "Alt+R";
        s.quickMenuHotkey = "Command+Shift+Space";
        s.promptStyles = {promptStyle("friendly", "Command+1"),
                          promptStyle("translate", "Command+T")};
        s.aiReplyStyles = {AIReplyStyle{"polite", "polite", "prompt", "Control+R"}};
        s.targetLanguage = "German";
    }

    void start() { service.start(&state, &panels, &clipboard); }
    void changeSettings(std::function<void(NiveloSettings&)> fn = [](NiveloSettings&) {}) {
        state.change(fn);
        VirtualClock::flushEvents();
    }

    // What is registered now, in registration order, all under the "NVLH" signature, with
    // the action the service keeps for each id.
    QList<Reg> registered() const {
        EXPECT_EQ(service.registeredActions().size(), registry.registrations().size());
        QList<Reg> out;
        for (const auto& r : registry.registrations()) {
            EXPECT_EQ(r.id.signature, fourCharCode("NVLH"));
            out.append(
                {r.id.id, r.keyCode, r.modifiers, service.registeredActions().value(r.id.id).kind});
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

TEST_F(HotkeyServiceTest, RegistersEverySourceInOrderWithIdsFromOne) {
    start();
    EXPECT_EQ(HotkeyService::signature, 0x4E564C48u);  // "NVLH"
    EXPECT_EQ(registered(), kAll);
    EXPECT_EQ(service.registeredActions().value(6).styleId, "translate");
    EXPECT_EQ(service.registeredActions().value(7).styleId, "polite");
    EXPECT_TRUE(state.statuses.isEmpty());
}

TEST_F(HotkeyServiceTest, BlankNotAssignedOrRepeatedKeysUseNoId) {
    NiveloSettings& s = state.edit();
    s.assistantHotkey = "NOT ASSIGNED";
    s.clipboardHotkey = "";
    s.layoutHotkey = "   ";
    s.promptStyles.append(promptStyle("short", "command + 1"));  // the keys of "friendly"
    s.quickMenuHotkey = "command+t";                             // the keys of "translate"
    start();
    EXPECT_EQ(registered(), (QList<Reg>{{1, 15, kAlt, Kind::translationPreview},
                                        {2, 18, kCmd, Kind::style},
                                        {3, 17, kCmd, Kind::style},
                                        {4, 15, kCtrl, Kind::reply}}));
    EXPECT_EQ(service.registeredActions().value(2).styleId, "friendly");
    EXPECT_TRUE(state.statuses.isEmpty());
}

TEST_F(HotkeyServiceTest, HandlerRefusedLeavesTheServiceStoppedUntilTheNextStart) {
    registry.installStatus = -1;
    start();
    EXPECT_FALSE(service.isStarted());
    EXPECT_EQ(state.statuses,
              (QList<ActionStatus>{ActionStatus::failed("Could not install hotkey handler: -1")}));
    changeSettings();
    EXPECT_TRUE(registry.registrations().isEmpty());  // not following the settings

    registry.installStatus = 0;
    start();
    EXPECT_TRUE(service.isStarted());
    EXPECT_EQ(registered(), kAll);
    // Stop unregisters everything and stops following the settings.
    service.stop();
    EXPECT_FALSE(registry.hasHandler());
    EXPECT_TRUE(service.registeredActions().isEmpty());
    changeSettings();
    EXPECT_TRUE(registry.registrations().isEmpty());
}

TEST_F(HotkeyServiceTest, EverySettingsChangeRegistersAgainFromOneButASecondStartDoesNot) {
    start();
    FakeAppState other;
    service.start(&other, &panels, &clipboard);
    VirtualClock::flushEvents();  // the current value is not a change
    EXPECT_EQ(registry.registerCalls(), 8);

    changeSettings([](NiveloSettings& s) {
        s.targetLanguage = "French";  // unrelated to hot keys
        s.assistantHotkey = "Not assigned";
        s.layoutHotkey = "F5";  // a bare key registers without modifiers
    });
    EXPECT_EQ(registry.registerCalls(), 15);
    EXPECT_EQ(registered().mid(0, 2),
              (QList<Reg>{{1, 9, kAlt, Kind::clipboard}, {2, 96, 0, Kind::layout}}));
    EXPECT_EQ(registered().size(), 7);
    EXPECT_FALSE(press(34, kAlt));
}

TEST_F(HotkeyServiceTest, PressesRunTheirActionOrOpenTheirPanel) {
    start();
    press(18, kCmd);
    press(17, kCmd);
    press(0, kAlt);
    EXPECT_EQ(state.runs, (QStringList{"style:friendly paste=1 sample=0",
                                       "translate paste=1 sample=0", "layout paste=1 sample=0"}));
    EXPECT_EQ(capture.rememberCalls, 3);  // styles and the layout fix remember the target

    press(49, kCmd + kShift);
    press(49, kCmd + kShift);
    press(9, kAlt);
    press(15, kAlt);
    EXPECT_EQ(panels.log, (QStringList{"quick.toggle", "quick.toggle", "translation.show"}));
    EXPECT_EQ(clipboard.toggles, 1);
    EXPECT_EQ(capture.rememberCalls, 4);  // of the panels, the translation preview only
}

TEST_F(HotkeyServiceTest, AssistantGetsTheUntrimmedSelectionAndReplyATrimmedOrFastCopiedOne) {
    start();
    capture.accessibilityText = "  some text\n";
    press(34, kAlt);
    capture.accessibilityText = "  How are you? ";
    press(15, kCtrl);
    EXPECT_EQ(panels.log, (QStringList{"assistant.show:  some text\n",
                                       "assistant.reply:How are you?|polite|German"}));
    EXPECT_EQ(capture.copyReads, 0);

    capture.accessibilityText = " ";
    capture.copiedText = "\nCopied message\n";
    press(15, kCtrl);
    EXPECT_EQ(panels.log.last(), "assistant.reply:Copied message|polite|German");
    EXPECT_EQ(capture.copyReads, 1);
    EXPECT_FALSE(capture.lastSelectAll);
    EXPECT_FALSE(capture.lastFallback);
    EXPECT_EQ(capture.lastTiming, PasteboardTiming::fast());
    EXPECT_EQ(capture.rememberCalls, 3);
}

TEST_F(HotkeyServiceTest, ReplyWithNothingSelectedShowsAFailure) {
    start();
    capture.copyFails = true;
    press(15, kCtrl);
    capture.copyFails = false;
    capture.copiedText = "   ";
    press(15, kCtrl);
    EXPECT_EQ(state.statuses,
              QList<ActionStatus>(2, ActionStatus::failed("Select a message to reply to")));
    EXPECT_TRUE(panels.log.isEmpty());
}

TEST_F(HotkeyServiceTest, PressOfAnUnknownIdOrARemovedStyleDoesNothing) {
    start();
    registry.pressId({fourCharCode("NVLH"), 99});
    state.edit().aiReplyStyles.clear();  // not yet re-registered
    press(15, kCtrl);
    EXPECT_EQ(capture.rememberCalls, 0);
    EXPECT_TRUE(state.statuses.isEmpty());
    EXPECT_TRUE(panels.log.isEmpty());
    EXPECT_TRUE(state.runs.isEmpty());
}

TEST_F(HotkeyServiceTest, PressQueuedBeforeAReloadRunsWhatItsKeysMeant) {
    start();
    VirtualClock::flushEvents();
    // The reload is queued first, then the press of id 1 (the assistant's Alt+I).
    state.change([](NiveloSettings& s) { s.assistantHotkey = "Not assigned"; });
    press(34, kAlt);
    // Id 1 is now the clipboard window's; the press still opens the assistant.
    EXPECT_EQ(service.registeredActions().value(1).kind, Kind::clipboard);
    EXPECT_EQ(clipboard.toggles, 0);
    EXPECT_EQ(panels.log, (QStringList{"assistant.show:"}));
}

// Before the assistant and the translation preview exist their keys register, but a press
// does nothing, not even remembering the target.
TEST_F(HotkeyServiceTest, PressesForPanelsTheAppDoesNotHaveDoNothing) {
    HotkeyService partial{{registry, capture}};
    partial.start(&state, &panels, &clipboard);
    capture.accessibilityText = "How are you?";
    EXPECT_TRUE(press(34, kAlt));   // assistant
    EXPECT_TRUE(press(15, kAlt));   // translation preview
    EXPECT_TRUE(press(15, kCtrl));  // reply
    EXPECT_TRUE(panels.log.isEmpty());
    EXPECT_EQ(capture.rememberCalls, 0);
    EXPECT_EQ(capture.peekCalls, 0);
}
