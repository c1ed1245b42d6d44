// The permission service, the core's forwards to it, and the state's four permission
// operations with their statuses.

#include "StateFixture.h"
#include "support/TaskProbe.h"

// The service

TEST_F(StateTest, ResetRunsTheToolServiceByServiceForEveryIdentifier) {
    auto outcome = startTask(permissions.resetNiveloPermissions());
    settle();

    ASSERT_TRUE(outcome->value);
    ASSERT_EQ(processes.calls.size(), 10);
    for (const auto& call : processes.calls) {
        EXPECT_EQ(call.program, "/usr/bin/tccutil");
    }
    EXPECT_EQ(processes.calls.at(5).arguments,
              (QStringList{"reset", "ListenEvent", "ai.nivelo.native"}));
    EXPECT_EQ(processes.calls.last().arguments,
              (QStringList{"reset", "ListenEvent", "com.nivelo.desktop"}));
    EXPECT_EQ(outcome->value->size(), 10);
}

// A tool error is a skip and the reset goes on; a launch failure ends it at once.
TEST_F(StateTest, AToolErrorIsReportedAsASkipAndALaunchFailureEndsTheReset) {
    processes.exitWith(0);
    processes.exitWith(1);
    processes.exitWith(1, "  tccutil: No such bundle identifier \"com.velda.nivelo\"\n");
    processes.exitWith(1, QByteArray("\xff\xfe broken", 9));

    auto outcome = startTask(permissions.resetNiveloPermissions());
    settle();

    ASSERT_TRUE(outcome->value);
    ASSERT_EQ(outcome->value->size(), 10);
    EXPECT_EQ(outcome->value->mid(0, 5),
              (QStringList{"reset Accessibility ai.nivelo.native",
                           "skip Accessibility ai.nivelo.desktop ",
                           "skip Accessibility com.velda.nivelo tccutil: No such bundle "
                           "identifier \"com.velda.nivelo\"",
                           "skip Accessibility com.velda.nivelo.desktop ",
                           "reset Accessibility com.nivelo.desktop"}));

    processes.calls.clear();
    processes.exitWith(0);
    processes.exitWith(0);
    processes.failToLaunch();
    outcome = startTask(permissions.resetNiveloPermissions());
    settle();
    ASSERT_TRUE(outcome->done);
    EXPECT_EQ(outcome->errorDescription(), "Could not launch /usr/bin/tccutil.");
    EXPECT_EQ(processes.calls.size(), 3);
}

TEST_F(StateTest, TwoResetsRunOneAfterTheOther) {
    processes.durationMs = 10;
    auto first = startTask(permissions.resetNiveloPermissions());
    auto second = startTask(permissions.resetNiveloPermissions());
    settle();

    ASSERT_TRUE(first->value && second->value);
    ASSERT_EQ(processes.calls.size(), 20);
    for (int i = 1; i < 20; ++i) {
        EXPECT_GE(processes.calls.at(i).startedAtMs, processes.calls.at(i - 1).endedAtMs);
    }
}

// Through the core's forwards: the checks read the probe, and only what the desktop has opens.
TEST_F(StateTest, CoreForwardsReadTheProbeAndOpenOnlyWhatTheDesktopHas) {
    probe.syntheticEvents = false;
    probe.inputMonitoring = true;
    const QUrl privacy(QStringLiteral("settings://privacy"));
    probe.settingsUrls.insert(PermissionSettingsTarget::privacy, privacy);

    EXPECT_EQ(core.permissionSnapshot(), (PermissionState{false, true}));
    core.openPermissionSettings(PermissionSettingsTarget::accessibility);
    EXPECT_TRUE(desktop.workspace.openedUrls.isEmpty());
    core.openPermissionSettings(PermissionSettingsTarget::privacy);
    EXPECT_EQ(desktop.workspace.openedUrls, QList<QUrl>{privacy});
}

// The state's operations

TEST_F(StateTest, RefreshAndOpenSettingsWorkOnALaterTurnWithoutAStatus) {
    makeState();
    probe.syntheticEvents = true;
    probe.inputMonitoring = true;
    probe.settingsUrls.insert(PermissionSettingsTarget::inputMonitoring, QUrl("settings://input"));

    state->refreshPermissions();
    state->openPermissionSettings(PermissionSettingsTarget::inputMonitoring);
    EXPECT_EQ(state->permissionState(), PermissionState());
    EXPECT_TRUE(desktop.workspace.openedUrls.isEmpty());
    VirtualClock::flushEvents();

    EXPECT_EQ(state->permissionState(), (PermissionState{true, true}));
    EXPECT_EQ(desktop.workspace.openedUrls, QList<QUrl>{QUrl("settings://input")});
    EXPECT_TRUE(recorded.isEmpty());
}

// Each shows running at once, then its outcome; the grants are read again after a reset,
// 0.35 s later.
TEST_F(StateTest, RequestAndResetShowRunningThenTheirOutcome) {
    const struct {
        std::function<void(NiveloAppState&)> start;
        bool synthetic;
        const char *runningText, *doneText;
        qint64 doneAtMs;
        PermissionState after;
    } cases[] = {
        {[](NiveloAppState& s) { s.requestPermissions(); },
         true,
         "Requesting permissions",
         "Permission request sent",
         0,
         {true, false}},
        {[](NiveloAppState& s) { s.resetNiveloPermissions(true); },
         true,
         "Resetting permissions",
         "Permissions reset. Request sent.",
         350,
         {true, false}},
        {[](NiveloAppState& s) { s.resetNiveloPermissions(false); },
         false,
         "Resetting permissions",
         "Nivelo permissions reset",
         350,
         {false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.doneText);
        makeState();
        recorded.clear();
        probe.syntheticEvents = c.synthetic;
        probe.inputMonitoring = false;
        const qint64 start = desktop.clock.nowMs();
        c.start(*state);
        EXPECT_EQ(state->status(), running(QString::fromUtf8(c.runningText)));
        settle();

        EXPECT_EQ(state->permissionState(), c.after);
        EXPECT_EQ(statuses(), (QList<ActionStatus>{running(QString::fromUtf8(c.runningText)),
                                                   done(QString::fromUtf8(c.doneText)), idle()}));
        EXPECT_EQ(recorded.at(1).atMs - start, c.doneAtMs);
        EXPECT_EQ(idleDelay(), 900);
    }
    EXPECT_EQ(processes.calls.size(), 20);
    EXPECT_TRUE(desktop.workspace.openedUrls.isEmpty());
}

TEST_F(StateTest, ResetWhoseToolCannotLaunchFailsAndLeavesTheGrants) {
    makeState();
    probe.syntheticEvents = true;
    state->refreshPermissions();
    VirtualClock::flushEvents();
    const PermissionState before = state->permissionState();
    probe.syntheticEvents = false;
    processes.failToLaunch();
    recorded.clear();

    state->resetNiveloPermissions(true);
    settle();

    EXPECT_EQ(statuses(),
              (QList<ActionStatus>{running(QStringLiteral("Resetting permissions")),
                                   failed(QStringLiteral("Could not launch /usr/bin/tccutil.")),
                                   idle()}));
    EXPECT_EQ(idleDelay(), 1300);
    EXPECT_EQ(state->permissionState(), before);
}
