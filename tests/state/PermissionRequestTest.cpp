// Where the desktop has nobody to ask for permissions, a request is a fresh check only.

#include "StateFixture.h"

TEST_F(StateTest, ARequestTheDesktopCannotMakeOnlyChecksAgainWithoutAStatus) {
    makeState();
    probe.requestable = false;
    probe.syntheticEvents = false;
    state->refreshPermissions();
    settle();
    ASSERT_EQ(state->permissionState(), (PermissionState{false, true}));

    probe.syntheticEvents = true;
    probe.inputMonitoring = false;
    state->requestPermissions();
    EXPECT_EQ(state->status(), ActionStatus::idle());
    settle();

    EXPECT_EQ(state->permissionState(), (PermissionState{true, false}));
    EXPECT_TRUE(statuses().isEmpty());
    EXPECT_EQ(state->status(), ActionStatus::idle());
}
