#include <gtest/gtest.h>

#include "Fakes.h"
#include "capture/HotkeyService.h"
#include "support/SimulatedHotKeyRegistry.h"
#include "support/VirtualClock.h"

namespace {

using Kind = HotkeyService::Action::Kind;
constexpr quint32 kCmd = HotKeyModifier::Command;
constexpr quint32 kShift = HotKeyModifier::Shift;
constexpr quint32 kAlt = HotKeyModifier::Option;
constexpr quint32 kCtrl = HotKeyModifier::Control;

PromptStyle promptStyle(const QString& id, const QString& hotkey) {
    return PromptStyle{id, id, QStringLiteral("prompt"), hotkey, true};
}

AIReplyStyle replyStyle(const QString& id, const QString& hotkey) {
    return AIReplyStyle{id, id, QStringLiteral("prompt"), hotkey};
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
        s.aiReplyStyles = {replyStyle("polite", "Control+R")};
        s.targetLanguage = "German";
    }

    void start() { service.start(&state, &panels, &clipboard); }

    // (id, key code, modifiers) of what is registered now, in registration order.
    QList<std::tuple<quint32, quint16, quint32>> registered() const {
        QList<std::tuple<quint32, quint16, quint32>> out;
        for (const auto& r : registry.registrations()) {
            EXPECT_EQ(r.id.signature, fourCharCode("NVLH"));
            out.append({r.id.id, r.keyCode, r.modifiers});
        }
        return out;
    }

    QList<Kind> kinds() const {
        QList<Kind> out;
        for (const auto& a : service.registeredActions()) {
            out << a.kind;
        }
        return out;
    }

    bool press(quint16 keyCode, quint32 modifiers) {
        const bool hit = registry.press(keyCode, modifiers);
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
    using R = std::tuple<quint32, quint16, quint32>;
    EXPECT_EQ(registered(), (QList<R>{{1, 34, kAlt},
                                      {2, 9, kAlt},
                                      {3, 0, kAlt},
                                      {4, 15, kAlt},
                                      {5, 18, kCmd},
                                      {6, 17, kCmd},
                                      {7, 15, kCtrl},
                                      {8, 49, kCmd + kShift}}));
    EXPECT_EQ(kinds(),
              (QList<Kind>{Kind::assistant, Kind::clipboard, Kind::layout, Kind::translationPreview,
                           Kind::style, Kind::style, Kind::reply, Kind::quickMenu}));
    EXPECT_EQ(service.registeredActions().value(6).styleId, "translate");
    EXPECT_EQ(service.registeredActions().value(7).styleId, "polite");
    EXPECT_TRUE(state.statuses.isEmpty());
}

TEST_F(HotkeyServiceTest, SameKeysRegisterOnceForTheEarlierSource) {
    NiveloSettings& s = state.edit();
    s.promptStyles.append(promptStyle("short", "command + 1"));  // same keys as "friendly"
    s.quickMenuHotkey = "I+alt";                                 // not a hot key
    s.quickMenuHotkey = "alt+i";                                 // the assistant's keys
    start();
    QList<quint32> ids;
    for (const auto& [id, code, mods] : registered()) {
        ids << id;
    }
    EXPECT_EQ(ids, (QList<quint32>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(service.registeredActions().value(5).styleId, "friendly");
    EXPECT_FALSE(kinds().contains(Kind::quickMenu));
    EXPECT_TRUE(state.statuses.isEmpty());
}

TEST_F(HotkeyServiceTest, NotAssignedAndBlankTextsUseNoId) {
    NiveloSettings& s = state.edit();
    s.assistantHotkey = "NOT ASSIGNED";
    s.clipboardHotkey = "";
    s.layoutHotkey = "   ";
    start();
    EXPECT_EQ(kinds(), (QList<Kind>{Kind::translationPreview, Kind::style, Kind::style, Kind::reply,
                                    Kind::quickMenu}));
    EXPECT_EQ(std::get<0>(registered().first()), 1u);
    EXPECT_TRUE(state.statuses.isEmpty());
}

TEST_F(HotkeyServiceTest, BareKeyIsRegisteredWithoutModifiers) {
    state.edit().layoutHotkey = "F5";
    start();
    EXPECT_EQ(registered().at(2), std::make_tuple(3u, quint16(96), 0u));
}

TEST_F(HotkeyServiceTest, BadTextEndsThePassButKeepsEarlierKeysAndRetriesOnChange) {
    state.edit().promptStyles.insert(1, promptStyle("emoji", "Command+Delete"));
    start();
    ASSERT_EQ(state.statuses.size(), 1);
    EXPECT_EQ(state.statuses[0], ActionStatus::failed("Invalid hotkey: Command+Delete"));
    EXPECT_EQ(kinds(), (QList<Kind>{Kind::assistant, Kind::clipboard, Kind::layout,
                                    Kind::translationPreview, Kind::style}));
    EXPECT_TRUE(service.isStarted());
    EXPECT_TRUE(press(34, kAlt));  // the earlier keys work
    EXPECT_FALSE(press(49, kCmd + kShift));

    state.change([](NiveloSettings& s) { s.promptStyles[1].hotkey = "Command+E"; });
    VirtualClock::flushEvents();
    EXPECT_EQ(kinds().size(), 9);
    EXPECT_EQ(state.statuses.size(), 1);
}

TEST_F(HotkeyServiceTest, RefusedRegistrationShowsTheSystemStatus) {
    registry.refused[{9, kAlt}] = -9878;
    start();
    ASSERT_EQ(state.statuses.size(), 1);
    EXPECT_EQ(state.statuses[0], ActionStatus::failed("Could not register Alt+V: -9878"));
    EXPECT_EQ(kinds(), (QList<Kind>{Kind::assistant}));

    registry.refused.clear();
    state.change([](NiveloSettings&) {});
    VirtualClock::flushEvents();
    EXPECT_EQ(kinds().size(), 8);
}

TEST_F(HotkeyServiceTest, HandlerRefusedLeavesTheServiceStoppedUntilTheNextStart) {
    registry.installStatus = -1;
    start();
    EXPECT_FALSE(service.isStarted());
    ASSERT_EQ(state.statuses.size(), 1);
    EXPECT_EQ(state.statuses[0], ActionStatus::failed("Could not install hotkey handler: -1"));
    EXPECT_TRUE(registry.registrations().isEmpty());
    state.change([](NiveloSettings&) {});
    VirtualClock::flushEvents();
    EXPECT_TRUE(registry.registrations().isEmpty());  // not following the settings

    registry.installStatus = 0;
    start();
    EXPECT_TRUE(service.isStarted());
    EXPECT_EQ(registered().size(), 8);
}

TEST_F(HotkeyServiceTest, SecondStartChangesNothing) {
    start();
    const int calls = registry.registerCalls();
    FakeAppState other;
    service.start(&other, &panels, &clipboard);
    EXPECT_EQ(registry.registerCalls(), calls);
}

TEST_F(HotkeyServiceTest, EverySettingsChangeRegistersAgainFromOne) {
    start();
    VirtualClock::flushEvents();  // the current value is not a change
    EXPECT_EQ(registry.registerCalls(), 8);

    state.change([](NiveloSettings& s) {
        s.targetLanguage = "French";  // unrelated to hot keys
        s.assistantHotkey = "Not assigned";
    });
    VirtualClock::flushEvents();
    EXPECT_EQ(registry.registerCalls(), 15);
    EXPECT_EQ(std::get<0>(registered().first()), 1u);
    EXPECT_EQ(std::get<1>(registered().first()), 9);  // the clipboard's Alt+V now has id 1
    EXPECT_EQ(registered().size(), 7);
    EXPECT_FALSE(press(34, kAlt));
}

TEST_F(HotkeyServiceTest, StopUnregistersEverythingAndStopsFollowingTheSettings) {
    start();
    service.stop();
    EXPECT_TRUE(registry.registrations().isEmpty());
    EXPECT_FALSE(registry.hasHandler());
    EXPECT_TRUE(service.registeredActions().isEmpty());
    state.change([](NiveloSettings&) {});
    VirtualClock::flushEvents();
    EXPECT_TRUE(registry.registrations().isEmpty());
}

TEST_F(HotkeyServiceTest, StyleAndLayoutPressesRememberTheTargetAndRunPasting) {
    start();
    press(18, kCmd);
    press(17, kCmd);
    press(0, kAlt);
    EXPECT_EQ(state.runs, (QStringList{"style:friendly paste=1 sample=0",
                                       "translate paste=1 sample=0", "layout paste=1 sample=0"}));
    EXPECT_EQ(capture.rememberCalls, 3);
}

TEST_F(HotkeyServiceTest, PanelPressesOpenTheirPanels) {
    start();
    press(49, kCmd + kShift);
    press(49, kCmd + kShift);
    press(9, kAlt);
    press(15, kAlt);
    EXPECT_EQ(panels.log, (QStringList{"quick.toggle", "quick.toggle", "translation.show"}));
    EXPECT_EQ(clipboard.toggles, 1);
    EXPECT_EQ(capture.rememberCalls, 1);  // the translation preview only
}

TEST_F(HotkeyServiceTest, AssistantGetsTheUntrimmedAccessibilitySelection) {
    capture.accessibilityText = "  some text\n";
    start();
    press(34, kAlt);
    VirtualClock::flushEvents();
    EXPECT_EQ(panels.log, (QStringList{"assistant.show:  some text\n"}));
    EXPECT_EQ(capture.rememberCalls, 1);
    EXPECT_EQ(capture.copyReads, 0);
}

TEST_F(HotkeyServiceTest, ReplyUsesAccessibilityThenAFastCopy) {
    start();
    capture.accessibilityText = "  How are you? ";
    press(15, kCtrl);
    VirtualClock::flushEvents();
    EXPECT_EQ(panels.log.last(), "assistant.reply:How are you?|polite|German");
    EXPECT_EQ(capture.copyReads, 0);

    capture.accessibilityText = " ";
    capture.copiedText = "\nCopied message\n";
    press(15, kCtrl);
    VirtualClock::flushEvents();
    EXPECT_EQ(panels.log.last(), "assistant.reply:Copied message|polite|German");
    EXPECT_EQ(capture.copyReads, 1);
    EXPECT_FALSE(capture.lastSelectAll);
    EXPECT_FALSE(capture.lastFallback);
    EXPECT_EQ(capture.lastTiming, PasteboardTiming::fast());
    EXPECT_EQ(capture.rememberCalls, 2);
}

TEST_F(HotkeyServiceTest, ReplyWithNothingSelectedShowsAFailure) {
    start();
    capture.copyFails = true;
    press(15, kCtrl);
    VirtualClock::flushEvents();
    ASSERT_EQ(state.statuses.size(), 1);
    EXPECT_EQ(state.statuses[0], ActionStatus::failed("Select a message to reply to"));

    capture.copyFails = false;
    capture.copiedText = "   ";
    state.edit().uiLanguage = UiLanguage::ru;
    press(15, kCtrl);
    VirtualClock::flushEvents();
    EXPECT_EQ(state.statuses.last(), ActionStatus::failed("Выделите сообщение для ответа"));
    EXPECT_TRUE(panels.log.isEmpty());
}

TEST_F(HotkeyServiceTest, ReplyForAStyleThatIsGoneDoesNothing) {
    start();
    state.edit().aiReplyStyles.clear();  // not yet re-registered
    press(15, kCtrl);
    VirtualClock::flushEvents();
    EXPECT_EQ(capture.rememberCalls, 0);
    EXPECT_TRUE(state.statuses.isEmpty());
    EXPECT_TRUE(panels.log.isEmpty());
}

TEST_F(HotkeyServiceTest, PressQueuedBeforeAReloadRunsWhatItsKeysMeant) {
    start();
    VirtualClock::flushEvents();
    // The reload is queued first, then the press of id 1 (the assistant's Alt+I).
    state.change([](NiveloSettings& s) { s.assistantHotkey = "Not assigned"; });
    registry.press(34, kAlt);
    VirtualClock::flushEvents();
    VirtualClock::flushEvents();
    // Id 1 is now the clipboard window's; the press still opens the assistant.
    EXPECT_EQ(service.registeredActions().value(1).kind, Kind::clipboard);
    EXPECT_EQ(clipboard.toggles, 0);
    EXPECT_EQ(panels.log, (QStringList{"assistant.show:"}));
}

TEST_F(HotkeyServiceTest, UnknownIdIsIgnored) {
    start();
    registry.pressId({fourCharCode("NVLH"), 99});
    VirtualClock::flushEvents();
    EXPECT_TRUE(panels.log.isEmpty());
    EXPECT_TRUE(state.runs.isEmpty());
}

// The app runs before the assistant and the translation preview exist: their hot keys are
// registered but a press does nothing, not even remembering the target.
TEST_F(HotkeyServiceTest, PressesForPanelsTheAppDoesNotHaveDoNothing) {
    HotkeyService partial{{registry, capture}};
    partial.start(&state, &panels, &clipboard);
    capture.accessibilityText = "How are you?";
    EXPECT_TRUE(press(34, kAlt));   // assistant
    EXPECT_TRUE(press(15, kAlt));   // translation preview
    EXPECT_TRUE(press(15, kCtrl));  // reply
    VirtualClock::flushEvents();
    EXPECT_TRUE(panels.log.isEmpty());
    EXPECT_EQ(capture.rememberCalls, 0);
    EXPECT_EQ(capture.peekCalls, 0);
}
