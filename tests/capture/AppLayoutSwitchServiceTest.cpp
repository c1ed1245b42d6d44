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
const RunningApplication kNoId{12, "", "xterm", {}};

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

TEST_F(AppLayoutSwitchTest, FirstEnabledRuleAppliesToTheFrontmostAtStartAndOnActivation) {
    state.edit().appLayoutRules = {
        rule("org.xfce.mousepad", "U.S.", false), rule("org.xfce.mousepad", "russian"),
        rule("org.xfce.mousepad", "U.S."), rule("ai.nivelo.native", "U.S.")};
    workspace.frontmost = kEditor;
    service.start(&state);
    EXPECT_EQ(sources.currentId(), "xkb.layout.ru");  // found by a part of its name
    activate(RunningApplication{1000, "ai.nivelo.native", "NiveloAI", {}});
    EXPECT_EQ(sources.currentId(), "xkb.layout.us");  // own windows are like any application
    activate(kEditor);
    EXPECT_EQ(sources.currentId(), "xkb.layout.ru");
    activate(kChat);
    EXPECT_EQ(sources.currentId(), "xkb.layout.ru");  // no rule
}

TEST_F(AppLayoutSwitchTest, CurrentLayoutIsNotSelectedAgain) {
    state.edit().appLayoutRules = {rule("org.xfce.mousepad", "U.S.")};
    service.start(&state);
    activate(kEditor);
    EXPECT_EQ(sources.selectCalls, 0);
    sources.currentUnknown = true;  // the name cannot be read: switch anyway
    activate(kEditor);
    EXPECT_EQ(sources.selectCalls, 1);
}

TEST_F(AppLayoutSwitchTest, NothingHappensWhenSwitchedOffOrWithoutAnIdentifier) {
    state.edit().appLayoutRules = {rule("org.xfce.mousepad", "Russian (PC)"),
                                   rule("", "Russian (PC)")};
    state.edit().appLayoutSwitchingEnabled = false;
    service.start(&state);
    activate(kEditor);
    EXPECT_EQ(sources.selectCalls, 0);

    // Turning it on waits for the next activation.
    state.change([](NiveloSettings& s) { s.appLayoutSwitchingEnabled = true; });
    VirtualClock::flushEvents();
    EXPECT_EQ(sources.selectCalls, 0);
    activate(kNoId);
    EXPECT_EQ(sources.selectCalls, 0);
    activate(kEditor);
    EXPECT_EQ(sources.currentId(), "xkb.layout.ru");
}

TEST_F(AppLayoutSwitchTest, SwitchErrorsAreDropped) {
    state.edit().appLayoutRules = {rule("org.xfce.mousepad", "Greek"),
                                   rule("org.telegram.desktop", "Russian (PC)")};
    service.start(&state);
    activate(kEditor);
    sources.failingSelects = 3;
    activate(kChat);
    EXPECT_EQ(sources.selectCalls, 3);
    EXPECT_EQ(sources.currentId(), "xkb.layout.us");
    EXPECT_TRUE(state.statuses.isEmpty());
}

TEST_F(AppLayoutSwitchTest, SecondStartOnlyReplacesTheState) {
    service.start(&state);
    FakeAppState other;
    other.edit().appLayoutSwitchingEnabled = true;
    other.edit().appLayoutRules = {rule("org.xfce.mousepad", "Russian (PC)")};
    service.start(&other);
    activate(kEditor);
    EXPECT_EQ(sources.selectCalls, 1);  // one observer, the new state's rules
    EXPECT_EQ(sources.currentId(), "xkb.layout.ru");
}
