// A hot key that cannot be read or registered shows its failure and costs no other one.

#include <gtest/gtest.h>

#include "Fakes.h"
#include "capture/HotkeyService.h"
#include "support/SimulatedHotKeyRegistry.h"
#include "support/VirtualClock.h"

namespace {

using Kind = HotkeyService::Action::Kind;
constexpr quint32 kAlt = HotKeyModifier::Option;
constexpr quint16 kKeyI = 34;
constexpr quint16 kKey1 = 18;

struct Case {
    const char* name;
    std::function<void(NiveloSettings&, SimulatedHotKeyRegistry&)> spoil;
    QStringList failures;
    QList<Kind> registered;
};

}  // namespace

TEST(HotkeyFailure, EveryOtherHotKeyStillRegistersAndWorks) {
    const QList<Kind> all{Kind::assistant, Kind::clipboard, Kind::layout, Kind::style,
                          Kind::quickMenu};
    const std::vector<Case> cases{
        {"unreadable layout key",
         [](NiveloSettings& s, SimulatedHotKeyRegistry&) { s.layoutHotkey = "Alt+Foo"; },
         {"Invalid hotkey: Alt+Foo"},
         {Kind::assistant, Kind::clipboard, Kind::style, Kind::quickMenu}},
        {"assistant key held by another program",
         [](NiveloSettings&, SimulatedHotKeyRegistry& r) {
             r.refused[{kKeyI, kAlt}] = 10;
         },
         {"Could not register Alt+I: 10"},
         {Kind::clipboard, Kind::layout, Kind::style, Kind::quickMenu}},
        {"both, and a style that names no key",
         [](NiveloSettings& s, SimulatedHotKeyRegistry& r) {
             r.refused[{kKeyI, kAlt}] = 10;
             s.clipboardHotkey = "Alt+Foo";
             s.promptStyles.prepend(PromptStyle{"emoji", "emoji", "p", "Command+Delete", true});
         },
         {"Could not register Alt+I: 10", "Invalid hotkey: Alt+Foo",
          "Invalid hotkey: Command+Delete"},
         {Kind::layout, Kind::style, Kind::quickMenu}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedHotKeyRegistry registry;
        FakeSelectionCapture capture;
        FakePanels panels;
        FakeClipboardPanel clipboard;
        FakeAppState state;
        NiveloSettings& s = state.edit();
        s.assistantHotkey = "Alt+I";
        s.clipboardHotkey = "Alt+V";
        s.layoutHotkey = "Alt+A";
        s.translatePreviewHotkey = "Not assigned";
        s.quickMenuHotkey = "Command+Shift+Space";
        s.promptStyles = {PromptStyle{"original", "original", "p", "Alt+1", true}};
        c.spoil(s, registry);
        HotkeyService service({registry, capture, &panels, &panels});
        service.start(&state, &panels, &clipboard);

        QStringList failures;
        for (const ActionStatus& status : state.statuses) {
            EXPECT_EQ(status.kind(), ActionStatus::Kind::failed);
            failures << status.message();
        }
        EXPECT_EQ(failures, c.failures);
        QList<Kind> registered;
        quint32 id = 0;
        for (const auto& r : registry.registrations()) {
            EXPECT_EQ(r.id.id, ++id);  // a failed key takes no id
            registered << service.registeredActions().value(r.id.id).kind;
        }
        EXPECT_EQ(registered, c.registered);
        EXPECT_TRUE(registry.press(kKey1, kAlt));
        VirtualClock::flushEvents();
        VirtualClock::flushEvents();
        EXPECT_EQ(state.runs, QStringList{"style:original paste=1 sample=0"});

        // The next settings change tries every key again.
        registry.refused.clear();
        state.change([](NiveloSettings& s) {
            s.layoutHotkey = "Alt+A";
            s.clipboardHotkey = "Alt+V";
            s.promptStyles = {PromptStyle{"original", "original", "p", "Alt+1", true}};
        });
        VirtualClock::flushEvents();
        registered.clear();
        for (const auto& r : registry.registrations()) {
            registered << service.registeredActions().value(r.id.id).kind;
        }
        EXPECT_EQ(registered, all);
        EXPECT_EQ(state.statuses.size(), c.failures.size());
    }
}
