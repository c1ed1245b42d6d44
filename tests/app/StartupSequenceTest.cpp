#include <gtest/gtest.h>

#include <vector>

#include "app/StartupSequence.h"
#include "platform/MemoryDefaults.h"

TEST(StartupSequence, RunsStepsInTheirOrderHoweverTheyWereAdded) {
    std::vector<int> ran;
    StartupSequence sequence;
    sequence.set(StartupStep::LaunchPermissionRequest, [&] { ran.push_back(14); });
    sequence.set(StartupStep::Hotkeys, [&] { ran.push_back(3); });
    sequence.set(StartupStep::LayoutSwitch, [&] { ran.push_back(12); });
    sequence.set(StartupStep::SystemSurfaceObserver, [&] { ran.push_back(1); });
    sequence.set(StartupStep::RefreshPermissions, [&] { ran.push_back(13); });
    sequence.set(StartupStep::SelectionTrigger, [&] { ran.push_back(5); });

    std::vector<StartupStep> seen;
    sequence.run([&](StartupStep step) { seen.push_back(step); });
    EXPECT_EQ(ran, (std::vector<int>{1, 3, 5, 12, 13, 14}));
    EXPECT_EQ(seen, sequence.steps());
    EXPECT_FALSE(sequence.has(StartupStep::MenuBar));
}

TEST(StartupSequence, ASecondActionForAStepReplacesTheFirst) {
    int first = 0;
    int second = 0;
    StartupSequence sequence;
    sequence.set(StartupStep::Hotkeys, [&] { ++first; });
    sequence.set(StartupStep::Hotkeys, [&] { ++second; });
    sequence.run();
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
}

TEST(LaunchPermissionRequest, IsAnsweredOnceAndTheFlagRemoved) {
    MemoryDefaults defaults;
    defaults.setBool("nivelo.requestPermissionsOnLaunch", true);
    EXPECT_TRUE(takeLaunchPermissionRequest(defaults));
    EXPECT_FALSE(defaults.hasObject("nivelo.requestPermissionsOnLaunch"));
    EXPECT_FALSE(takeLaunchPermissionRequest(defaults));
}

TEST(LaunchPermissionRequest, AFalseFlagIsKeptAndAnAbsentOneStaysAbsent) {
    MemoryDefaults defaults;
    defaults.setBool("nivelo.requestPermissionsOnLaunch", false);
    EXPECT_FALSE(takeLaunchPermissionRequest(defaults));
    EXPECT_TRUE(defaults.hasObject("nivelo.requestPermissionsOnLaunch"));

    MemoryDefaults empty;
    EXPECT_FALSE(takeLaunchPermissionRequest(empty));
    EXPECT_FALSE(empty.hasObject("nivelo.requestPermissionsOnLaunch"));
}

TEST(LaunchPermissionRequest, AFlagWrittenByHandIntoTheSettingsFileCounts) {
    MemoryDefaults defaults;
    defaults.setString("nivelo.requestPermissionsOnLaunch", "true");
    EXPECT_TRUE(takeLaunchPermissionRequest(defaults));
    EXPECT_FALSE(defaults.hasObject("nivelo.requestPermissionsOnLaunch"));
}
