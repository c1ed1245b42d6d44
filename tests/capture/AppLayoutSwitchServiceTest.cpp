#include <gtest/gtest.h>

#include "Fakes.h"
#include "capture/AppLayoutSwitchService.h"
#include "support/SimulatedInputSources.h"
#include "support/VirtualClock.h"

namespace {

AppLayoutRule rule(const QString& bundle, const QString& layout, bool enabled = true) {
    return AppLayoutRule{QUuid::createUuid(), bundle, bundle, {}, layout, enabled};
}

const RunningApplication kEditor{10, "org.xfce.mousepad", "Mousepad", {}};
const RunningApplication kChat{11, "org.telegram.desktop", "Telegram", {}};

class AppLayoutSwitchTest : public ::testing::Test {
protected:
    AppLayoutSwitchTest() {
        sources.addLayout(SimulatedInputSources::usLayout());
        sources.addLayout(SimulatedInputSources::russianLayout("Russian (PC)", "xkb.layout.ru"));
        state.edit().appLayoutSwitchingEnabled = true;
    }
    void activate(const RunningApplication& app) {
        workspace.bringToFront(app);
        VirtualClock::flushEvents();
    }

    SimulatedInputSources sources;
    FakeWorkspace workspace;
    FakeAppState state;
    AppLayoutSwitchService service{workspace, sources};
};

}  // namespace

// The first enabled rule; own windows are like any
// application; the current layout is not selected again unless it cannot be read.
TEST_F(AppLayoutSwitchTest, FirstEnabledRuleAppliesToTheFrontmostAtStartAndOnActivation) {
    state.edit().appLayoutRules = {
        rule("org.xfce.mousepad", "U.S.", false), rule("org.xfce.mousepad", "Russian (PC)"),
        rule("org.xfce.mousepad", "U.S."), rule("ai.nivelo.native", "U.S.")};
    workspace.frontmost = kEditor;
    service.start(&state);
    EXPECT_EQ(sources.currentId(), "xkb.layout.ru");
    activate(RunningApplication{1000, "ai.nivelo.native", "NiveloAI", {}});
    EXPECT_EQ(sources.currentId(), "xkb.layout.us");
    activate(kChat);
    activate(kEditor);
    activate(kEditor);
    EXPECT_EQ(sources.selectCalls, 3);
    sources.currentUnknown = true;
    activate(kEditor);
    EXPECT_EQ(sources.selectCalls, 4);
}

// Turning it on waits for the next activation; switch errors are dropped.
TEST_F(AppLayoutSwitchTest, NothingHappensWhenOffWithoutAnIdentifierOrOnErrors) {
    state.edit().appLayoutRules = {rule("org.xfce.mousepad", "Russian (PC)"),
                                   rule("", "Russian (PC)"), rule("org.telegram.desktop", "Greek")};
    state.edit().appLayoutSwitchingEnabled = false;
    service.start(&state);
    activate(kEditor);
    state.change([](NiveloSettings& s) { s.appLayoutSwitchingEnabled = true; });
    VirtualClock::flushEvents();
    activate(RunningApplication{12, "", "xterm", {}});
    activate(kChat);
    EXPECT_EQ(sources.selectCalls, 0);
    sources.failingSelects = 3;
    activate(kEditor);
    EXPECT_EQ(sources.selectCalls, 3);
    EXPECT_TRUE(state.statuses.isEmpty());

    // A second start only replaces the state: one observer, the new rules.
    FakeAppState other;
    other.edit().appLayoutSwitchingEnabled = true;
    other.edit().appLayoutRules = {rule("org.telegram.desktop", "Russian (PC)")};
    service.start(&other);
    activate(kChat);
    EXPECT_EQ(sources.selectCalls, 4);
    EXPECT_EQ(sources.currentId(), "xkb.layout.ru");
}
