// The updates page over a real update manager whose endpoint answers at once or after a pause
// on the virtual clock: the status it shows for each state, its controls, and the alert.

#include <algorithm>

#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>

#include "settingswindow/MainSettingsView.h"
#include "settingswindow/UpdatesSettingsView.h"
#include "state/StateFixture.h"
#include "support/NamedPart.h"
#include "theme/ThemeIcons.h"
#include "updates/AppUpdateClient.h"
#include "updates/AppUpdateManager.h"

namespace {

struct Checker : AppUpdateChecker {
    Clock* clock;
    AppUpdateSnapshot answer;
    qint64 delayMs = 0;
    explicit Checker(Clock& c) : clock(&c) {}
    QCoro::Task<AppUpdateSnapshot> check(UiLanguage) override {
        co_await clock->sleep(delayMs);
        co_return answer;
    }
};

const QDateTime kEvening(QDate(2026, 12, 6), QTime(21, 13));

struct UpdatesPage : StateTest {
    std::shared_ptr<Checker> checker = std::make_shared<Checker>(desktop.clock);
    std::unique_ptr<AppUpdateManager> manager;
    void SetUp() override {
        StateTest::SetUp();
        makeState();
        freshManager();
    }
    void freshManager() {
        checker->delayMs = 0;
        manager = std::make_unique<AppUpdateManager>(
            AppUpdateManager::Dependencies{desktop.clock, defaults, desktop.workspace}, checker);
    }
    void check(const AppUpdateSnapshot& answer) {
        checker->answer = answer;
        manager->checkManually(state->settings());
        settle();
    }
};

QStringList buttonTexts(const QMessageBox* box) {
    QStringList texts;
    std::ranges::transform(box->buttons(), std::back_inserter(texts), &QAbstractButton::text);
    texts.sort();
    return texts;
}

// The update alert on screen; null when none is (a closed one waits a moment to be deleted).
QMessageBox* shownAlert(const QWidget& view) {
    for (QMessageBox* box : view.findChildren<QMessageBox*>(QStringLiteral("updateAlert"))) {
        if (box->isVisible()) {
            return box;
        }
    }
    return nullptr;
}

}  // namespace

// Title, symbol, available version and last check, separated by "|".
TEST_F(UpdatesPage, StatusInfoRowsAndDatesFollowTheManager) {
    using enum NiveloTheme::Role;
    const AppUpdateSnapshot forced{.checkedAt = kEvening, .forceUpdate = true};
    const struct {
        std::optional<AppUpdateSnapshot> answer;  // none: never checked
        bool thenChecking;
        UiLanguage lang;
        QString shown;
        NiveloTheme::Role tint;
    } rows[] = {
        {{}, false, UiLanguage::en, "Not checked yet|clock|Not checked|Never", secondaryLabel},
        {{}, false, UiLanguage::ru, "Ещё не проверяли|clock|Нет данных|Никогда", secondaryLabel},
        {AppUpdateSnapshot{.checkedAt = kEvening, .latestVersion = ""}, false, UiLanguage::en,
         "Up to date|checkmark.circle.fill||Dec 6, 2026 at 9:13 PM", green},
        {AppUpdateSnapshot{.checkedAt = kEvening, .updateAvailable = true, .latestVersion = "9.9"},
         false, UiLanguage::ru,
         "Доступно обновление|arrow.down.circle.fill|9.9|6 дек. 2026 г., 21:13", blue},
        {forced, false, UiLanguage::en,
         "Update required|exclamationmark.triangle.fill|Not checked|Dec 6, 2026 at 9:13 PM",
         orange},
        {forced, true, UiLanguage::ru,
         "Проверяем обновления|arrow.triangle.2.circlepath|Нет данных|6 дек. 2026 г., 21:13",
         orange},
    };
    for (const auto& row : rows) {
        freshManager();
        setLanguage(row.lang);
        if (row.answer) {
            check(*row.answer);
        }
        if (row.thenChecking) {
            checker->delayMs = 1000;
            manager->checkManually(state->settings());
            VirtualClock::flushEvents();
        }
        const UpdatesPageModel m = updatesPageModel(*manager, state->settings(), "1.3");
        EXPECT_EQ(QStringList({m.statusTitle, m.statusIconName, m.infoRows.at(1).value,
                               m.infoRows.at(2).value})
                      .join('|'),
                  row.shown);
        EXPECT_EQ(m.statusTint, row.tint) << row.shown.toStdString();
        EXPECT_EQ(m.checking, row.thenChecking);
        EXPECT_FALSE(ThemeIcons::filePath(m.statusIconName).isEmpty());
    }
}

// Through the window, in a liquid (dark) mode: the alert, a window of its own, is dark too.
TEST_F(UpdatesPage, ControlsAndTheAlertFromCheckToDownload) {
    state->editSettings([](NiveloSettings& s) { s.appearanceMode = AppearanceMode::liquidViolet; });
    MainSettingsView window({.appState = *state, .updateManager = manager.get()});
    window.show();
    state->setSelectedSettingsPage(SettingsPage::updates);
    auto* view = window.findChild<UpdatesSettingsView*>();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(shownAlert(*view), nullptr);
    EXPECT_FALSE(namedPart<QPushButton>(*view, "download")->isVisibleTo(view));

    // Forced without an update: no download button; an update without an address: a disabled
    // one, and an alert with "OK" alone.
    check({.checkedAt = kEvening, .forceUpdate = true});
    EXPECT_FALSE(namedPart<QPushButton>(*view, "download")->isVisibleTo(view));
    EXPECT_EQ(shownAlert(*view), nullptr);
    setLanguage(UiLanguage::ru);
    check({.checkedAt = kEvening,
           .updateAvailable = true,
           .latestVersion = "9.9",
           .releaseNotes = ""});
    EXPECT_TRUE(namedPart<QPushButton>(*view, "download")->isVisibleTo(view));
    EXPECT_FALSE(namedPart<QPushButton>(*view, "download")->isEnabled());
    ASSERT_NE(shownAlert(*view), nullptr);
    EXPECT_EQ(shownAlert(*view)->palette().color(QPalette::Window),
              NiveloTheme::darkPalette(AppearanceMode::liquidViolet).color(QPalette::Window));
    EXPECT_EQ(shownAlert(*view)->text(), "Доступна версия 9.9.");
    EXPECT_EQ(buttonTexts(shownAlert(*view)), QStringList{"\u041e\u041a"});
    shownAlert(*view)->buttons().first()->click();
    EXPECT_EQ(manager->alertMessage(), std::nullopt);
    EXPECT_EQ(shownAlert(*view), nullptr);

    // While checking: disabled, with its own text; "Download" that cannot open comes back.
    setLanguage(UiLanguage::en);
    checker->delayMs = 1000;
    checker->answer.downloadURL = QUrl("https://example.com/nivelo.deb");
    namedPart<QPushButton>(*view, "checkForUpdates")->click();
    VirtualClock::flushEvents();
    EXPECT_EQ(namedPart<QPushButton>(*view, "checkForUpdates")->text(), "Checking...");
    EXPECT_FALSE(namedPart<QPushButton>(*view, "checkForUpdates")->isEnabled());
    settle();
    EXPECT_EQ(namedPart<QPushButton>(*view, "checkForUpdates")->text(), "Check for Updates");
    ASSERT_NE(shownAlert(*view), nullptr);
    EXPECT_EQ(buttonTexts(shownAlert(*view)), (QStringList{"Download", "OK"}));
    // Its buttons are drawn in the page's dark palette too.
    for (QPushButton* b : shownAlert(*view)->findChildren<QPushButton*>()) {
        EXPECT_LT(b->palette().color(QPalette::Button).lightness(), 128) << b->text().toStdString();
        EXPECT_GT(b->palette().color(QPalette::ButtonText).lightness(), 128);
    }
    desktop.workspace.opensUrls = false;
    QMessageBox* first = shownAlert(*view);
    first->buttons().at(first->buttons().at(0)->text() == "OK" ? 1 : 0)->click();
    ASSERT_NE(shownAlert(*view), nullptr);
    EXPECT_NE(shownAlert(*view), first);
    EXPECT_EQ(shownAlert(*view)->text(), "Could not open update download.");
    EXPECT_EQ(desktop.workspace.openedUrls.size(), 1);

    // Each option is one save of the whole record.
    const int saves = defaults.saves;
    for (QCheckBox* box : view->findChildren<QCheckBox*>()) {
        box->click();
    }
    EXPECT_EQ(defaults.saves, saves + 2);
    EXPECT_FALSE(store.load().automaticUpdateChecksEnabled);
    EXPECT_FALSE(store.load().updateNotificationsEnabled);
}
