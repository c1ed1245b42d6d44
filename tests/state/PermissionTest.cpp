// The permission service, the core's forwards to it, and the state's four permission
// operations with their statuses.

#include <QFileInfo>

#include "StateFixture.h"
#include "platform/QProcessRunner.h"
#include "support/TaskProbe.h"

namespace {
const QString kTool = QStringLiteral("/usr/bin/tccutil");

QStringList argumentsOf(const SimulatedProcessRunner::Call& call) {
    return call.arguments;
}
}  // namespace

// The service

TEST_F(StateTest, ResetRunsTheToolServiceByServiceForEveryIdentifier) {
    auto outcome = startTask(permissions.resetNiveloPermissions());
    settle();

    ASSERT_TRUE(outcome->done);
    ASSERT_EQ(processes.calls.size(), 10);
    for (const auto& call : processes.calls) {
        EXPECT_EQ(call.program, kTool);
    }
    EXPECT_EQ(argumentsOf(processes.calls.first()),
              (QStringList{"reset", "Accessibility", "ai.nivelo.native"}));
    EXPECT_EQ(argumentsOf(processes.calls.at(5)),
              (QStringList{"reset", "ListenEvent", "ai.nivelo.native"}));
    EXPECT_EQ(argumentsOf(processes.calls.last()),
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
    const QStringList lines = *outcome->value;
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines.at(0), "reset Accessibility ai.nivelo.native");
    EXPECT_EQ(lines.at(1), "skip Accessibility ai.nivelo.desktop ");
    EXPECT_EQ(lines.at(2),
              "skip Accessibility com.velda.nivelo tccutil: No such bundle identifier "
              "\"com.velda.nivelo\"");
    EXPECT_EQ(lines.at(3), "skip Accessibility com.velda.nivelo.desktop ");
    EXPECT_EQ(lines.at(4), "reset Accessibility com.nivelo.desktop");
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

TEST_F(StateTest, SnapshotAndRequestReadTheProbeWithoutOpeningAnything) {
    probe.syntheticEvents = true;
    probe.inputMonitoring = false;
    EXPECT_EQ(permissions.snapshot(), (PermissionState{true, false}));
    probe.inputMonitoring = true;
    EXPECT_EQ(permissions.requestPermissions(), (PermissionState{true, true}));
    EXPECT_TRUE(desktop.workspace.openedUrls.isEmpty());
}

TEST_F(StateTest, OpeningSettingsOpensOnlyWhatTheDesktopHas) {
    const QUrl privacy(QStringLiteral("settings://privacy"));
    probe.settingsUrls.insert(PermissionSettingsTarget::privacy, privacy);

    permissions.openSettings(PermissionSettingsTarget::accessibility);
    permissions.openSettings(PermissionSettingsTarget::inputMonitoring);
    EXPECT_TRUE(desktop.workspace.openedUrls.isEmpty());
    permissions.openSettings(PermissionSettingsTarget::privacy);
    EXPECT_EQ(desktop.workspace.openedUrls, QList<QUrl>{privacy});
}

// The core forwards

TEST_F(StateTest, CoreForwardsToItsPermissionService) {
    probe.syntheticEvents = false;
    probe.inputMonitoring = true;
    probe.settingsUrls.insert(PermissionSettingsTarget::accessibility, QUrl("settings://a11y"));

    EXPECT_EQ(core.permissionSnapshot(), (PermissionState{false, true}));
    EXPECT_EQ(core.requestPermissions(), (PermissionState{false, true}));
    core.openPermissionSettings(PermissionSettingsTarget::accessibility);
    EXPECT_EQ(desktop.workspace.openedUrls, QList<QUrl>{QUrl("settings://a11y")});
    auto lines = startTask(core.resetNiveloPermissions());
    settle();
    ASSERT_TRUE(lines->value);
    EXPECT_EQ(lines->value->size(), 10);
}

// The state's operations

class PermissionOperations : public StateTest, public ::testing::WithParamInterface<UiLanguage> {
protected:
    void SetUp() override {
        StateTest::SetUp();
        makeState();
        setLanguage(GetParam());
        recorded.clear();
    }
    QString t(const char* english, const char* russian) const {
        return tr2(GetParam(), QString::fromUtf8(english), QString::fromUtf8(russian));
    }
};

INSTANTIATE_TEST_SUITE_P(BothLanguages, PermissionOperations,
                         ::testing::Values(UiLanguage::en, UiLanguage::ru),
                         [](const auto& info) { return rawValue(info.param).toStdString(); });

TEST_P(PermissionOperations, RefreshPublishesTheGrantsOnALaterTurnWithoutAStatus) {
    probe.syntheticEvents = true;
    probe.inputMonitoring = true;

    state->refreshPermissions();
    EXPECT_EQ(state->permissionState(), PermissionState());
    VirtualClock::flushEvents();

    EXPECT_EQ(state->permissionState(), (PermissionState{true, true}));
    EXPECT_TRUE(recorded.isEmpty());
}

TEST_P(PermissionOperations, OpenSettingsWorksOnALaterTurn) {
    probe.settingsUrls.insert(PermissionSettingsTarget::inputMonitoring, QUrl("settings://input"));
    state->openPermissionSettings(PermissionSettingsTarget::inputMonitoring);
    EXPECT_TRUE(desktop.workspace.openedUrls.isEmpty());
    VirtualClock::flushEvents();
    EXPECT_EQ(desktop.workspace.openedUrls, QList<QUrl>{QUrl("settings://input")});
    EXPECT_TRUE(recorded.isEmpty());
}

TEST_P(PermissionOperations, RequestShowsRunningThenDone) {
    probe.syntheticEvents = true;
    probe.inputMonitoring = false;

    state->requestPermissions();
    EXPECT_EQ(state->status(), running(t("Requesting permissions", "Запрашиваю разрешения")));
    settle();

    EXPECT_EQ(state->permissionState(), (PermissionState{true, false}));
    EXPECT_EQ(statuses(),
              (QList<ActionStatus>{
                  running(t("Requesting permissions", "Запрашиваю разрешения")),
                  done(t("Permission request sent", "Запрос разрешений отправлен")), idle()}));
    EXPECT_EQ(idleDelay(), 900);
}

TEST_P(PermissionOperations, ResetThenRequestAgain) {
    state->resetNiveloPermissions(true);
    EXPECT_EQ(state->status(), running(t("Resetting permissions", "Сбрасываю разрешения")));
    settle();

    EXPECT_EQ(processes.calls.size(), 10);
    EXPECT_EQ(state->permissionState(), (PermissionState{true, true}));
    EXPECT_EQ(statuses(),
              (QList<ActionStatus>{running(t("Resetting permissions", "Сбрасываю разрешения")),
                                   done(t("Permissions reset. Request sent.",
                                          "Разрешения сброшены. Новый запрос отправлен.")),
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

    EXPECT_EQ(statuses(),
              (QList<ActionStatus>{running(t("Resetting permissions", "Сбрасываю разрешения")),
                                   failed(QStringLiteral("Could not launch /usr/bin/tccutil.")),
                                   idle()}));
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
