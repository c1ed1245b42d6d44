// The permission service, the core's forwards to it, and the state's four permission
// operations with their statuses.

#include <QFileInfo>

#include "StateFixture.h"
#include "platform/QProcessRunner.h"
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
    EXPECT_EQ(processes.calls.first().arguments,
              (QStringList{"reset", "Accessibility", "ai.nivelo.native"}));
    EXPECT_EQ(processes.calls.at(5).arguments,
              (QStringList{"reset", "ListenEvent", "ai.nivelo.native"}));
    EXPECT_EQ(processes.calls.last().arguments,
              (QStringList{"reset", "ListenEvent", "com.nivelo.desktop"}));
    ASSERT_EQ(outcome->value->size(), 10);
    EXPECT_EQ(outcome->value->at(1), "reset Accessibility ai.nivelo.desktop");
    for (const QString& line : *outcome->value) {
        EXPECT_TRUE(line.startsWith("reset ")) << line.toStdString();
    }
}

TEST_F(StateTest, AToolErrorIsReportedAsASkipAndTheResetGoesOn) {
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
}

TEST_F(StateTest, ALaunchFailureEndsTheResetAtOnce) {
    processes.exitWith(0);
    processes.exitWith(0);
    processes.failToLaunch();

    auto outcome = startTask(permissions.resetNiveloPermissions());
    settle();

    ASSERT_TRUE(outcome->done);
    EXPECT_FALSE(outcome->value);
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
    EXPECT_EQ(processes.calls.at(10).startedAtMs, 100);
}

// Through the core's forwards: the checks read the probe, and only what the desktop has opens.
TEST_F(StateTest, CoreForwardsReadTheProbeAndOpenOnlyWhatTheDesktopHas) {
    probe.syntheticEvents = false;
    probe.inputMonitoring = true;
    const QUrl privacy(QStringLiteral("settings://privacy"));
    probe.settingsUrls.insert(PermissionSettingsTarget::privacy, privacy);

    EXPECT_EQ(core.permissionSnapshot(), (PermissionState{false, true}));
    probe.syntheticEvents = true;
    EXPECT_EQ(core.requestPermissions(), (PermissionState{true, true}));
    core.openPermissionSettings(PermissionSettingsTarget::accessibility);
    core.openPermissionSettings(PermissionSettingsTarget::inputMonitoring);
    EXPECT_TRUE(desktop.workspace.openedUrls.isEmpty());
    core.openPermissionSettings(PermissionSettingsTarget::privacy);
    EXPECT_EQ(desktop.workspace.openedUrls, QList<QUrl>{privacy});
    auto lines = startTask(core.resetNiveloPermissions());
    settle();
    ASSERT_TRUE(lines->value);
    EXPECT_EQ(lines->value->size(), 10);
}

// The state's operations

class PermissionOperations : public BothLanguages {
protected:
    ActionStatus resetting() const {
        return running(t("Resetting permissions", "Сбрасываю разрешения"));
    }
};

INSTANTIATE_TEST_SUITE_P(BothLanguages, PermissionOperations,
                         ::testing::Values(UiLanguage::en, UiLanguage::ru), languageName);

TEST_P(PermissionOperations, RefreshAndOpenSettingsWorkOnALaterTurnWithoutAStatus) {
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

TEST_P(PermissionOperations, RequestShowsRunningThenDone) {
    probe.syntheticEvents = true;
    probe.inputMonitoring = false;

    state->requestPermissions();
    const ActionStatus requesting = running(t("Requesting permissions", "Запрашиваю разрешения"));
    EXPECT_EQ(state->status(), requesting);
    settle();

    EXPECT_EQ(state->permissionState(), (PermissionState{true, false}));
    EXPECT_EQ(statuses(),
              (QList<ActionStatus>{
                  requesting, done(t("Permission request sent", "Запрос разрешений отправлен")),
                  idle()}));
    EXPECT_EQ(idleDelay(), 900);
}

TEST_P(PermissionOperations, ResetThenRequestAgain) {
    state->resetNiveloPermissions(true);
    EXPECT_EQ(state->status(), resetting());
    settle();

    EXPECT_EQ(processes.calls.size(), 10);
    EXPECT_EQ(state->permissionState(), (PermissionState{true, true}));
    EXPECT_EQ(statuses(), (QList<ActionStatus>{resetting(),
                                               done(t("Permissions reset. Request sent.",
                                                      "Разрешения сброшены. Новый запрос "
                                                      "отправлен.")),
                                               idle()}));
    // The grants are read again 0.35 s after the reset.
    EXPECT_EQ(recorded.at(1).atMs, 350);
    EXPECT_EQ(idleDelay(), 900);
}

TEST_P(PermissionOperations, ResetWithoutRequestReadsTheGrants) {
    probe.syntheticEvents = false;
    probe.inputMonitoring = false;
    state->resetNiveloPermissions(false);
    settle();

    EXPECT_EQ(state->permissionState(), (PermissionState{false, false}));
    EXPECT_EQ(statuses().at(1), done(t("Nivelo permissions reset", "Разрешения Nivelo сброшены")));
    EXPECT_TRUE(desktop.workspace.openedUrls.isEmpty());
}

TEST_P(PermissionOperations, ResetWhoseToolCannotLaunchFailsAndLeavesTheGrants) {
    probe.syntheticEvents = true;
    state->refreshPermissions();
    VirtualClock::flushEvents();
    const PermissionState before = state->permissionState();
    probe.syntheticEvents = false;
    processes.failToLaunch();

    state->resetNiveloPermissions(true);
    settle();

    EXPECT_EQ(
        statuses(),
        (QList<ActionStatus>{
            resetting(), failed(QStringLiteral("Could not launch /usr/bin/tccutil.")), idle()}));
    EXPECT_EQ(idleDelay(), 1300);
    EXPECT_EQ(state->permissionState(), before);
}

// On this desktop the reset tool does not exist: its launch failure is what the user sees.
TEST(RealPermissionReset, MissingToolEndsInAFailedStatus) {
    if (QFileInfo::exists(PermissionService::kResetTool)) {
        GTEST_SKIP() << "the reset tool is installed here";
    }
    SimulatedDesktop desktop;
    SimulatedPermissionProbe probe;
    QProcessRunner runner;
    PermissionService service(probe, desktop.workspace, runner);

    auto outcome = startTask(service.resetNiveloPermissions());
    ASSERT_TRUE(waitUntil([&] { return outcome->done; }));
    EXPECT_EQ(outcome->errorDescription(), "Could not launch /usr/bin/tccutil.");
}
