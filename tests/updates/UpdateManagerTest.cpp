#include "state/StateFixture.h"
#include "updates/AppUpdateClient.h"
#include "updates/AppUpdateClientError.h"
#include "updates/AppUpdateManager.h"

namespace {

constexpr qint64 kHour = 3600 * 1000;

// Answers every check with one snapshot or one failure, at once or after a pause on the
// virtual clock, and notes when each check began.
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

// The manager beside a real application state, sharing its clock and defaults as in the app.
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
    QDateTime at(qint64 ms) const { return desktop.clock.currentDateTime().addMSecs(ms); }
};

const QString kLastCheck = AppUpdateManager::kLastAutomaticCheckKey;

}  // namespace

TEST_F(UpdateManagerTest, ChecksAtLaunchThenOnTheSixHourFiringsAtMostOnceADay) {
    struct Row {
        const char* name;
        qint64 delayMs;
        QString failure;
        QVariant stored;  // relative to the start, when a date
        std::vector<qint64> hours;
        qint64 storedHours = -1;  // of the last check stored, after 60 h
    };
    const QVariant none;
    const std::vector<Row> rows = {
        // Launch checks store no time, so 6 h checks; 30 h lies exactly a day after that.
        {"answers at once", 0, {}, none, {0, 6, 30, 54}, 54},
        {"answers after a second", 1000, {}, none, {0, 6, 36}, 36},
        {"fails", 0, "Down", none, {0, 6, 12, 18, 24, 30, 36, 42, 48, 54, 60}},
        {"stored in the future", 0, {}, 30 * kHour, {0, 54}, 54},
        {"stored as text", 0, {}, QStringLiteral("2026-01-01T12:00:00Z"), {0, 6, 30, 54}, 54},
        {"checks off", 0, {}, none, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const qint64 origin = desktop.clock.nowMs();
        defaults.remove(kLastCheck);
        if (row.stored.typeId() == QMetaType::LongLong) {
            defaults.setDate(kLastCheck, at(row.stored.toLongLong()));
        } else if (row.stored.isValid()) {
            defaults.set(kLastCheck, row.stored);
        }
        state->editSettings([&](NiveloSettings& s) {
            s.automaticUpdateChecksEnabled = row.name != std::string("checks off");
        });
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
        const QDateTime stored = defaults.dateValue(kLastCheck).value_or(QDateTime());
        EXPECT_EQ(stored, row.storedHours < 0 ? QDateTime()
                                              : at(origin - desktop.clock.nowMs() +
                                                   row.storedHours * kHour + row.delayMs));
        EXPECT_EQ(manager->alertMessage(), std::nullopt);
        // The button checks whatever the setting says.
        manager->checkManually(state->settings());
        EXPECT_EQ(checker->calls.size(), hours.size() + 1);
        desktop.clock.advance(row.delayMs);
    }
}

TEST_F(UpdateManagerTest, AnnouncesEachBuildOnceUnlessForcedOrAskedFor) {
    enum Trigger { launch, timer, button };
    struct Step {
        Trigger trigger;
        bool notify;
        UiLanguage language;
        AppUpdateSnapshot answer;
        QString failure, message, alert;  // alert: "" for none
        qint64 lastNotified;
    };
    const auto en = UiLanguage::en;
    const auto ru = UiLanguage::ru;
    const QString v14 = "Version 1.4 is available.", v15 = "Version 1.5 is available.",
                  v16 = "Version 1.6 is available.", v17 = "Version 1.7 is available.",
                  vNew = "Version new is available.", same = "NiveloAI is up to date.";
    const std::vector<Step> steps = {
        {launch, true, en, available("1.4", 120), {}, v14, v14, 120},
        {timer, true, en, available("1.4", 120), {}, v14, {}, 120},
        {launch, true, en, available("1.5", 121), {}, v15, v15, 121},
        {launch, false, en, available("1.6", 122), {}, v16, {}, 121},
        {button, false, en, available("1.6", 122), {}, v16, v16, 122},
        {launch, false, en, available("1.7", 123, {}, true), {}, v17, v17, 123},
        {launch, true, en, {.forceUpdate = true}, {}, same, {}, 123},
        {button, false, en, {}, "Boom", "Boom", "Boom", 123},
        {timer, true, en, {}, "Boom", "Boom", {}, 123},
        // Without a build number every check alerts; a blank server message says nothing.
        {launch, true, en, available({}, {}), {}, vNew, vNew, 123},
        {timer, true, en, available({}, {}, "Get it"), {}, "Get it", "Get it", 123},
        {launch, true, en, available("1.4", {}, ""), {}, v14, v14, 123},
        {launch, true, en, available("1.4", {}, " \n"), {}, v14, v14, 123},
        // An older build asked for is announced and becomes the last one.
        {button,
         false,
         ru,
         available("1.4", 119),
         {},
         "Доступна версия 1.4.",
         "Доступна версия 1.4.",
         119},
        {launch, false, ru, available({}, {}), {}, "Доступна версия новая.", {}, 119},
        {button, false, ru, {}, {}, "Установлена актуальная версия NiveloAI.", {}, 119},
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
        ASSERT_EQ(checker->calls.size(), i + 1);
        EXPECT_EQ(checker->language, step.language);
        EXPECT_EQ(manager->message(), step.message);
        EXPECT_EQ(manager->alertMessage().value_or(""), step.alert);
        EXPECT_EQ(defaults.integerValue(AppUpdateManager::kLastNotifiedBuildKey),
                  step.lastNotified);
    }
    EXPECT_EQ(make(checker)->lastNotifiedBuild(), 119);
}

TEST_F(UpdateManagerTest, ACheckDuringAnotherChangesNothingAndAnotherStartReplacesTimerAndTask) {
    checker->delayMs = 1000;
    start();
    manager->setAlertMessage(QStringLiteral("earlier"));
    manager->checkManually(state->settings());
    EXPECT_EQ(checker->calls.size(), 1u);
    EXPECT_TRUE(manager->isChecking());
    EXPECT_EQ(manager->alertMessage(), "earlier");
    desktop.clock.advance(1000);
    EXPECT_EQ(manager->message(), "NiveloAI is up to date.");

    // Two starts in one turn check once; a start at 1 h moves the timer to 7 h.
    *checker = FakeChecker(desktop.clock);
    manager->startAutomaticChecks(state.get());
    start();
    desktop.clock.advance(kHour);
    start();
    desktop.clock.advance(6 * kHour - 1);
    const qint64 t0 = 1000;
    EXPECT_EQ(checker->calls, (std::vector<qint64>{t0, t0 + kHour}));
    desktop.clock.advance(1);
    EXPECT_EQ(checker->calls, (std::vector<qint64>{t0, t0 + kHour, t0 + 7 * kHour}));
}

TEST_F(UpdateManagerTest, OpensOnlyAKnownDownloadAndReportsAnOpenerThatFails) {
    const QUrl url(QStringLiteral("https://example.com/nivelo.tar.gz"));
    const QString failed = "Could not open update download.";
    struct Row {
        std::optional<QUrl> download;
        bool opens;
        QString message, alert;
    };
    for (const Row& row : std::vector<Row>{
             {{}, true, "Update download URL is not available.", {}},
             {url, false, failed, failed},
             {url, true, "Version 1.4 is available.", {}},
         }) {
        checker->answer = available("1.4", 120);
        checker->answer.downloadURL = row.download;
        manager->checkManually(state->settings());
        manager->setAlertMessage(std::nullopt);
        desktop.workspace.opensUrls = row.opens;
        desktop.workspace.openedUrls.clear();
        manager->openDownload();
        EXPECT_EQ(manager->message(), row.message);
        EXPECT_EQ(manager->alertMessage().value_or(""), row.alert);
        EXPECT_EQ(desktop.workspace.openedUrls.size(), row.download ? 1 : 0);
    }
}

TEST_F(UpdateManagerTest, ARefusalWithAnEmptyErrorStillSaysTheCheckFailed) {
    server.setHandler([](const RecordedRequest&) {
        return CannedReply::json(200, R"({"ok":false,"error":""})");
    });
    manager = make(std::make_shared<AppUpdateClient>(server.url(QString()).toString(), transport,
                                                     transport.clock));
    for (const bool byHand : {true, false}) {
        manager->setAlertMessage(std::nullopt);
        byHand ? manager->checkManually(state->settings())
               : void(manager->checkAutomaticallyIfNeeded(state->settings()));
        ASSERT_TRUE(waitUntil([&] { return !manager->isChecking(); }));
        EXPECT_EQ(manager->message(), "Update check failed.");
        EXPECT_EQ(manager->alertMessage(),
                  byHand ? std::optional<QString>("Update check failed.") : std::nullopt);
    }
    EXPECT_EQ(server.requestCount(), 2);
}
