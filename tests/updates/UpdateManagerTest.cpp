#include <limits>

#include "state/StateFixture.h"
#include "updates/AppUpdateClient.h"
#include "updates/AppUpdateClientError.h"
#include "updates/AppUpdateManager.h"

namespace {

constexpr qint64 kHour = 3600 * 1000;
const QString kLastCheck = AppUpdateManager::kLastAutomaticCheckKey;

// Answers every check with one snapshot or one failure after a pause on the virtual clock.
struct FakeChecker : AppUpdateChecker {
    Clock* clock;
    AppUpdateSnapshot answer;
    QString failure;
    qint64 delayMs = 0;
    std::vector<qint64> calls;

    explicit FakeChecker(Clock& c) : clock(&c) {}
    QCoro::Task<AppUpdateSnapshot> check(UiLanguage) override {
        calls.push_back(clock->nowMs());
        if (delayMs > 0) {
            co_await clock->sleep(delayMs);
        }
        if (!failure.isEmpty()) {
            throw AppUpdateClientError::server(failure);
        }
        co_return answer;
    }
};

AppUpdateSnapshot available(std::optional<QString> v, std::optional<qint64> build,
                            std::optional<QString> message = {}, bool forced = false) {
    return {.updateAvailable = true,
            .forceUpdate = forced,
            .latestVersion = v,
            .latestBuild = build,
            .message = message};
}

struct UpdateManagerTest : StateTest {
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
    VirtualClock& clock = transport.clock;
    auto ask(UiLanguage language, QString origin = {},
             AppUpdateClient::Build build = {"1.3", 120}) {
        AppUpdateClient client(origin.isNull() ? server.url({}).toString() : origin, transport,
                               clock, build);
        return runNetworkTask(client.check(language));
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
        const qint64 origin = desktop.clock.nowMs();
        defaults.remove(kLastCheck);
        if (row.storedInHours >= 0) {
            defaults.setDate(kLastCheck,
                             desktop.clock.currentDateTime().addMSecs(row.storedInHours * kHour));
        }
        manager = make(checker = std::make_shared<FakeChecker>(desktop.clock));
        checker->delayMs = row.delayMs;
        checker->failure = row.failure;
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
    manager = make(checker = std::make_shared<FakeChecker>(desktop.clock));
    start();
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
    const QString v14 = "Version 1.4 is available.", v15 = "Version 1.5 is available.",
                  ru14 = "Доступна версия 1.4.";
    const std::vector<Step> steps = {
        {launch, true, available("1.4", 120), {}, v14, v14, 120},
        {timer, true, available("1.4", 120), {}, v14, {}, 120},
        {launch, false, available("1.5", 121), {}, v15, {}, 120},
        {button, false, available("1.5", 121), {}, v15, v15, 121},
        {launch, false, available("1.5", 122, {}, true), {}, v15, v15, 122},
        {button, false, {}, "Boom", "Boom", "Boom", 122},
        // Without a build number every check alerts; a blank server message says nothing.
        {launch, true, available({}, {}, "Get it"), {}, "Get it", "Get it", 122},
        {launch, true, available("1.4", {}, " \n"), {}, v14, v14, 122},
        {button, false, available("1.4", 119), {}, ru14, ru14, 119, UiLanguage::ru},
        {button, false, {}, {}, "Установлена актуальная версия NiveloAI.", {}, 119, UiLanguage::ru},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.message.toStdString());
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
    checker->answer = available("1.4", 120);
    manager->checkManually(state->settings());
    manager->openDownload();
    EXPECT_EQ(manager->message(), "Update download URL is not available.");
    checker->answer.downloadURL = QUrl("https://example.com/nivelo.tar.gz");
    manager->checkManually(state->settings());
    desktop.workspace.opensUrls = false;
    manager->openDownload();
    EXPECT_EQ(manager->alertMessage(), "Could not open update download.");
}

TEST_F(UpdateManagerTest, ARefusalWithAnEmptyErrorStillSaysTheCheckFailed) {
    server.setHandler([](const RecordedRequest&) {
        return CannedReply::json(200, R"({"ok":false,"error":""})");
    });
    manager = make(
        std::make_shared<AppUpdateClient>(server.url({}).toString(), transport, transport.clock));
    manager->checkManually(state->settings());
    ASSERT_TRUE(waitUntil([&] { return !manager->isChecking(); }));
    EXPECT_EQ(manager->alertMessage(), "Update check failed.");
}

TEST_F(UpdateManagerTest, AsksWithOneBodilessGetCarryingTheBuildAndLocale) {
    server.enqueue(CannedReply::json(200, "{}"));
    ASSERT_TRUE(ask(UiLanguage::ru, {}, {"2.0 beta+ü&x=%", 0})->value);
    const RecordedRequest& seen = server.requests().last();
    EXPECT_EQ(seen.method, "GET");
    EXPECT_EQ(QString::fromLatin1(seen.target),
              "/macos/app/version?channel=release&platform=macos&current_version="
              "2.0%20beta%2B%C3%BC%26x%3D%25&current_build=0&bundle_id=ai.nivelo.native&locale=ru");
    EXPECT_TRUE(seen.body.isEmpty());
    EXPECT_TRUE(seen.header("x-nivelo-device-id").isEmpty());

    for (const QString bad : {"http://", "ftp://127.0.0.1"}) {
        EXPECT_EQ(ask(UiLanguage::en, bad)->errorDescription(), "Update URL is invalid.");
    }
    EXPECT_EQ(server.requestCount(), 1);
}

TEST_F(UpdateManagerTest, ReadsA2xxAnswerIntoASnapshot) {
    const struct {
        QByteArray body;
        AppUpdateSnapshot expected;
        UiLanguage language = UiLanguage::en;
    } rows[] = {
        {R"({"latest_build":121,"latest_version":"1.4"})",
         {.updateAvailable = true, .latestVersion = "1.4", .latestBuild = 121}},
        // An explicit flag wins over the numbers.
        {R"({"update_available":false,"latest_build":999})", {.latestBuild = 999}},
        {R"({"min_supported_build":121})", {.forceUpdate = true}},
        // The whole signed 64-bit range is read, its ends included.
        {R"({"latest_build":-9223372036854775808,"min_supported_build":9223372036854775807})",
         {.forceUpdate = true, .latestBuild = std::numeric_limits<qint64>::min()}},
        {R"({"title":{"ru":"Привет"},"message":{"en":"New","ru":""}})",
         {.title = "Привет", .message = ""},
         UiLanguage::ru},
        {R"({"download_url":"HTTPS://example.com/n.tar.gz"})",
         {.downloadURL = QUrl("https://example.com/n.tar.gz")}},
        // Only web addresses reach the desktop's opener.
        {R"({"download_url":"nivelo-helper://run?x=1"})", {}},
    };
    for (const auto& row : rows) {
        server.enqueue(CannedReply::json(200, row.body));
        auto out = ask(row.language);
        ASSERT_TRUE(out->value) << out->errorDescription().toStdString();
        AppUpdateSnapshot expected = row.expected;
        expected.checkedAt = clock.currentDateTime();
        EXPECT_TRUE(*out->value == expected) << row.body.toStdString();
    }
}

TEST_F(UpdateManagerTest, FailsOnAnUnreadableRefusedOrFailedAnswer) {
    const QString unreadable = "The server's answer could not be read.";
    const std::vector<std::tuple<int, QByteArray, QString>> rows = {
        {200, R"({"latest_build":"121"})", unreadable},
        {200, "[]", unreadable},
        {200, R"({"ok":false,"error":"Banned build"})", "Banned build"},
        {200, R"({"ok":false,"error":" \n"})", "Update check failed."},
        {503, R"({"error":"Maintenance"})", "Maintenance"},
        {502, "<html>Bad Gateway</html>", "Update server returned HTTP 502."},
    };
    for (const auto& [status, body, error] : rows) {
        server.enqueue(CannedReply::json(status, body));
        EXPECT_EQ(ask(UiLanguage::en)->errorDescription(), error) << body.toStdString();
    }
}

// A build number outside the signed 64-bit range fails the answer rather than reading as
// either end of it.
TEST_F(UpdateManagerTest, ABuildNumberOutsideTheRangeFailsTheAnswer) {
    for (const char* key : {"latest_build", "min_supported_build"}) {
        for (const char* number :
             {"-9223372036854775809", "-1e19", "-9.3e18", "9223372036854775808", "1e19"}) {
            const QByteArray body = QByteArray("{\"") + key + "\":" + number + "}";
            server.enqueue(CannedReply::json(200, body));
            EXPECT_EQ(ask(UiLanguage::en)->errorDescription(),
                      "The server's answer could not be read.")
                << body.toStdString();
        }
    }
}

// The answer is a few hundred bytes: a body past the cap, announced or streamed until the
// connection closes, fails as unreadable; one of exactly the cap is read.
TEST_F(UpdateManagerTest, AnAnswerPastItsCapFailsAsUnreadable) {
    const QByteArray json = R"({"latest_build":121})";
    const qint64 cap = AppUpdateClient::kMaxAnswerBytes;
    for (const bool streamed : {false, true}) {
        for (const qint64 size : {cap, cap + 1}) {
            server.enqueue(CannedReply::jsonOfSize(json, size, streamed));
            auto out = ask(UiLanguage::en);
            EXPECT_EQ(
                out->value ? QString::number(*out->value->latestBuild) : out->errorDescription(),
                size == cap ? "121" : "The server's answer could not be read.")
                << streamed << " " << size;
        }
    }
}
