#include "state/StateFixture.h"
#include "updates/AppUpdateClient.h"
#include "updates/AppUpdateClientError.h"
#include "updates/AppUpdateManager.h"

namespace {

constexpr qint64 kHour = 3600 * 1000;
const QString kLastCheck = AppUpdateManager::kLastAutomaticCheckKey;

// Answers every check with one snapshot or one failure after a pause on the virtual clock.
class FakeChecker : public AppUpdateChecker {
public:
    explicit FakeChecker(Clock& clock) : clock_(&clock) {}
    AppUpdateSnapshot answer;
    QString failure;
    qint64 delayMs = 0;
    std::vector<qint64> calls;
    UiLanguage language = UiLanguage::en;

    QCoro::Task<AppUpdateSnapshot> check(UiLanguage asked) override {
        calls.push_back(clock_->nowMs());
        language = asked;
        if (delayMs > 0) {
            co_await clock_->sleep(delayMs);
        }
        if (!failure.isEmpty()) {
            throw AppUpdateClientError::server(failure);
        }
        co_return answer;
    }

private:
    Clock* clock_;
};

AppUpdateSnapshot available(std::optional<QString> version, std::optional<qint64> build,
                            std::optional<QString> message = {}, bool forced = false) {
    return {.updateAvailable = true,
            .forceUpdate = forced,
            .latestVersion = std::move(version),
            .latestBuild = build,
            .message = std::move(message)};
}

class UpdateManagerTest : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        makeState();
    }
    std::shared_ptr<FakeChecker> checker = std::make_shared<FakeChecker>(desktop.clock);
    std::unique_ptr<AppUpdateManager> manager = make(checker);

    std::unique_ptr<AppUpdateManager> make(std::shared_ptr<AppUpdateChecker> client) {
        return std::make_unique<AppUpdateManager>(
            AppUpdateManager::Dependencies{desktop.clock, defaults, desktop.workspace},
            std::move(client));
    }
    void start() {
        manager->startAutomaticChecks(state.get());
        VirtualClock::flushEvents();
    }
};

}  // namespace

// Launch checks store no time, so the 6 h firing checks; 30 h lies exactly a day after that.
TEST_F(UpdateManagerTest, ChecksAtLaunchThenOnTheSixHourFiringsAtMostOnceADay) {
    const struct {
        qint64 delayMs;
        QString failure;
        qint64 storedInHours;  // -1: nothing stored
        std::vector<qint64> hours;
    } rows[] = {
        {0, {}, -1, {0, 6, 30, 54}},
        {1000, {}, -1, {0, 6, 36}},
        {0, "Down", -1, {0, 6, 12, 18, 24, 30, 36, 42, 48, 54, 60}},
        {0, {}, 30, {0, 54}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.hours.size());
        const qint64 origin = desktop.clock.nowMs();
        defaults.remove(kLastCheck);
        if (row.storedInHours >= 0) {
            defaults.setDate(kLastCheck,
                             desktop.clock.currentDateTime().addMSecs(row.storedInHours * kHour));
        }
        *checker = FakeChecker(desktop.clock);
        checker->delayMs = row.delayMs;
        checker->failure = row.failure;
        manager = make(checker);
        start();
        desktop.clock.advance(60 * kHour + 2000);
        std::vector<qint64> hours;
        for (const qint64 ms : checker->calls) {
            hours.push_back((ms - origin) / kHour);
        }
        EXPECT_EQ(hours, row.hours);
        EXPECT_EQ(manager->alertMessage(), std::nullopt);
        desktop.clock.advance(row.delayMs);
    }
    // Off: no automatic check, but the button still checks.
    state->editSettings([](NiveloSettings& s) { s.automaticUpdateChecksEnabled = false; });
    *checker = FakeChecker(desktop.clock);
    manager = make(checker);
    start();
    desktop.clock.advance(60 * kHour);
    manager->checkManually(state->settings());
    EXPECT_EQ(checker->calls.size(), 1u);
}

TEST_F(UpdateManagerTest, AnnouncesEachBuildOnceUnlessForcedOrAskedFor) {
    enum Trigger { launch, timer, button };
    struct Step {
        Trigger trigger;
        bool notify;
        AppUpdateSnapshot answer;
        QString failure, message, alert;  // alert: "" for none
        qint64 lastNotified;
        UiLanguage language = UiLanguage::en;
    };
    const QString v14 = "Version 1.4 is available.", v15 = "Version 1.5 is available.";
    const std::vector<Step> steps = {
        {launch, true, available("1.4", 120), {}, v14, v14, 120},
        {timer, true, available("1.4", 120), {}, v14, {}, 120},
        {launch, false, available("1.5", 121), {}, v15, {}, 120},
        {button, false, available("1.5", 121), {}, v15, v15, 121},
        {launch, false, available("1.5", 122, {}, true), {}, v15, v15, 122},
        {button, false, {}, "Boom", "Boom", "Boom", 122},
        {timer, true, {}, "Boom", "Boom", {}, 122},
        // Without a build number every check alerts; a blank server message says nothing.
        {launch, true, available({}, {}, "Get it"), {}, "Get it", "Get it", 122},
        {launch, true, available("1.4", {}, " \n"), {}, v14, v14, 122},
        {button,
         false,
         available("1.4", 119),
         {},
         "Доступна версия 1.4.",
         "Доступна версия 1.4.",
         119,
         UiLanguage::ru},
        {button, false, {}, {}, "Установлена актуальная версия NiveloAI.", {}, 119, UiLanguage::ru},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        const Step& step = steps[i];
        state->editSettings([&](NiveloSettings& s) {
            s.updateNotificationsEnabled = step.notify;
            s.uiLanguage = step.language;
        });
        checker->answer = step.answer;
        checker->failure = step.failure;
        manager->setAlertMessage(std::nullopt);
        defaults.remove(kLastCheck);
        step.trigger == launch  ? start()
        : step.trigger == timer ? void(manager->checkAutomaticallyIfNeeded(state->settings()))
                                : manager->checkManually(state->settings());
        EXPECT_EQ(checker->language, step.language);
        EXPECT_EQ(manager->message(), step.message);
        EXPECT_EQ(manager->alertMessage().value_or(""), step.alert);
        EXPECT_EQ(defaults.integerValue(AppUpdateManager::kLastNotifiedBuildKey),
                  step.lastNotified);
    }
}

TEST_F(UpdateManagerTest, ACheckDuringAnotherChangesNothingAndAnotherStartReplacesTheTimer) {
    checker->delayMs = 1000;
    start();
    manager->setAlertMessage(QStringLiteral("earlier"));
    manager->checkManually(state->settings());
    EXPECT_EQ(checker->calls.size(), 1u);
    EXPECT_EQ(manager->alertMessage(), "earlier");
    desktop.clock.advance(1000);

    // Two starts in one turn check once; a start at 1 h moves the timer to 7 h.
    *checker = FakeChecker(desktop.clock);
    manager->startAutomaticChecks(state.get());
    start();
    desktop.clock.advance(kHour);
    start();
    desktop.clock.advance(6 * kHour);
    EXPECT_EQ(checker->calls, (std::vector<qint64>{1000, 1000 + kHour, 1000 + 7 * kHour}));
}

TEST_F(UpdateManagerTest, OpensOnlyAKnownDownloadAndReportsAnOpenerThatFails) {
    const QUrl url(QStringLiteral("https://example.com/nivelo.tar.gz"));
    const QString failed = "Could not open update download.";
    const struct {
        std::optional<QUrl> download;
        bool opens;
        QString message, alert;
    } rows[] = {
        {{}, true, "Update download URL is not available.", {}},
        {url, false, failed, failed},
    };
    for (const auto& row : rows) {
        checker->answer = available("1.4", 120);
        checker->answer.downloadURL = row.download;
        manager->checkManually(state->settings());
        manager->setAlertMessage(std::nullopt);
        desktop.workspace.opensUrls = row.opens;
        manager->openDownload();
        EXPECT_EQ(manager->message(), row.message);
        EXPECT_EQ(manager->alertMessage().value_or(""), row.alert);
    }
}

TEST_F(UpdateManagerTest, ARefusalWithAnEmptyErrorStillSaysTheCheckFailed) {
    server.setHandler([](const RecordedRequest&) {
        return CannedReply::json(200, R"({"ok":false,"error":""})");
    });
    manager = make(std::make_shared<AppUpdateClient>(server.url(QString()).toString(), transport,
                                                     transport.clock));
    manager->checkManually(state->settings());
    ASSERT_TRUE(waitUntil([&] { return !manager->isChecking(); }));
    EXPECT_EQ(manager->alertMessage(), "Update check failed.");
}
