// The permission service, the core's forwards to it, and the state's four permission
// operations with their statuses.

#include "StateFixture.h"
#include "support/TaskProbe.h"

// The tool runs service by service for every identifier, one reset after the other; a tool
// error is skipped and the reset goes on.
TEST_F(StateTest, ResetRunsTheToolForEveryServiceAndIdentifierOneResetAtATime) {
    processes.durationMs = 10;
    processes.exitWith(1, "tccutil: No such bundle identifier");
    auto first = startTask(permissions.resetNiveloPermissions());
    auto second = startTask(permissions.resetNiveloPermissions());
    settle();
    ASSERT_TRUE(first->value && second->value);
    ASSERT_EQ(processes.calls.size(), 20);
    for (int i = 1; i < 20; ++i) {
        EXPECT_GE(processes.calls.at(i).startedAtMs, processes.calls.at(i - 1).endedAtMs);
    }
    EXPECT_EQ(processes.calls.at(9).arguments,
              (QStringList{"reset", "ListenEvent", "com.nivelo.desktop"}));
}

// Through the core and the state: the checks read the probe and only what the desktop has
// opens, on a later turn and without a status.
TEST_F(StateTest, ChecksReadTheProbeAndOpenOnlyWhatTheDesktopHas) {
    makeState();
    probe.settingsUrls.insert(PermissionSettingsTarget::privacy, QUrl("settings://privacy"));
    state->refreshPermissions();
    state->openPermissionSettings(PermissionSettingsTarget::accessibility);
    state->openPermissionSettings(PermissionSettingsTarget::privacy);
    EXPECT_TRUE(desktop.workspace.openedUrls.isEmpty());
    VirtualClock::flushEvents();
    EXPECT_EQ(state->permissionState(), (PermissionState{true, true}));
    EXPECT_EQ(desktop.workspace.openedUrls, QList<QUrl>{QUrl("settings://privacy")});
    EXPECT_TRUE(recorded.isEmpty());

    // Where the desktop has nobody to ask, a request is a fresh check only.
    probe.requestable = false;
    probe.inputMonitoring = false;
    state->requestPermissions();
    settle();
    EXPECT_EQ(state->permissionState(), (PermissionState{true, false}));
    EXPECT_TRUE(recorded.isEmpty());
}

// Each shows running at once, then its outcome; the grants are read again after a reset,
// 0.35 s later; a reset whose tool cannot launch fails and leaves the grants.
TEST_F(StateTest, RequestAndResetShowRunningThenTheirOutcome) {
    const struct {
        std::function<void(NiveloAppState&)> start;
        bool synthetic, launches;
        const char *runningText, *outcome;
        qint64 outcomeAtMs;
        PermissionState after;
    } cases[] = {
        {[](NiveloAppState& s) { s.requestPermissions(); },
         true,
         true,
         "Requesting permissions",
         "Permission request sent",
         0,
         {true, false}},
        {[](NiveloAppState& s) { s.resetNiveloPermissions(true); },
         true,
         true,
         "Resetting permissions",
         "Permissions reset. Request sent.",
         350,
         {true, false}},
        {[](NiveloAppState& s) { s.resetNiveloPermissions(false); },
         false,
         true,
         "Resetting permissions",
         "Nivelo permissions reset",
         350,
         {false, false}},
        {[](NiveloAppState& s) { s.resetNiveloPermissions(true); },
         true,
         false,
         "Resetting permissions",
         "Could not launch /usr/bin/tccutil.",
         0,
         {}},
    };
    for (const auto& c : cases) {
        makeState();
        recorded.clear();
        probe.syntheticEvents = c.synthetic;
        probe.inputMonitoring = false;
        if (!c.launches) {
            processes.failToLaunch();
        }
        const qint64 start = desktop.clock.nowMs();
        c.start(*state);
        EXPECT_EQ(state->status(), running(c.runningText));
        settle();

        const ActionStatus outcome = c.launches ? done(c.outcome) : failed(c.outcome);
        EXPECT_EQ(statuses(), (QList<ActionStatus>{running(c.runningText), outcome, idle()}));
        EXPECT_EQ(state->permissionState(), c.after);
        EXPECT_EQ(recordedAtMs.at(recordedAtMs.size() - 2) - start, c.outcomeAtMs);
        EXPECT_EQ(idleDelay(), c.launches ? 900 : 1300);
    }
    EXPECT_EQ(processes.calls.size(), 21);
}
