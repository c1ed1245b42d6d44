// The Permissions page: with every control the desktop may offer, with none (X11), and over
// the X11 probe against real X servers with and without XTEST.

#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>

#include "platform/x11/X11PermissionProbe.h"
#include "settingswindow/PermissionsSettingsView.h"
#include "state/StateFixture.h"
#include "support/PrivateXServer.h"

using Role = NiveloTheme::Role;

namespace {

QStringList texts(const QList<QPushButton*>& buttons) {
    QStringList t;
    for (const QPushButton* b : buttons) {
        t << b->text();
    }
    return t;
}

QStringList badges(const PermissionsSettingsView& page) {
    QStringList t;
    for (const QLabel* label : page.findChildren<QLabel*>()) {
        if (label->accessibleName().contains(": ")) {
            t << label->accessibleName();
        }
    }
    return t;
}

}  // namespace

TEST(PermissionsPageTexts, BadgesAndControlsFollowWhatTheDesktopOffers) {
    const PermissionOffers all{true, true, true, true};
    const struct {
        PermissionOffers offers;
        UiLanguage lang;
        QStringList rows;  // title, badge, caption of each
        QStringList buttons;
        QString note;
    } cases[] = {
        {all,
         UiLanguage::en,
         {"Accessibility", "Granted", "", "Input Monitoring", "Needs Access", ""},
         {"Refresh", "Request permissions", "Open Accessibility", "Open Input Monitoring",
          "Reset Nivelo permissions + request again"},
         "Clears old Nivelo entries from Accessibility/Input Monitoring, then immediately sends "
         "fresh macOS permission requests."},
        {all,
         UiLanguage::ru,
         {"Универсальный доступ", "Разрешено", "", "Мониторинг ввода", "Нужен доступ", ""},
         {"Обновить", "Запросить разрешения", "Открыть Универсальный доступ",
          "Открыть Мониторинг ввода", "Сбросить разрешения Nivelo и запросить снова"},
         "Удаляет старые записи Nivelo из Универсального доступа и Мониторинга ввода, затем "
         "сразу отправляет новые запросы macOS."},
        {{},
         UiLanguage::en,
         {"Accessibility", "Available", "Sends Copy and Paste to other apps (XTEST)",
          "Input Monitoring", "Not available", "Sees selections made in other apps (XInput 2)"},
         {"Refresh"},
         "On X11 these depend on the X server's extensions; NiveloAI cannot turn them on."},
        {{},
         UiLanguage::ru,
         {"Универсальный доступ", "Доступно",
          "Отправляет копирование и вставку другим "
          "приложениям (XTEST)",
          "Мониторинг ввода", "Недоступно", "Видит выделение в других приложениях (XInput 2)"},
         {"Обновить"},
         "В X11 это зависит от расширений X-сервера; NiveloAI не может их включить."},
        {{false, false, true, false},
         UiLanguage::en,
         {"Accessibility", "Granted", "", "Input Monitoring", "Needs Access", ""},
         {"Refresh", "Open Accessibility"},
         ""},
    };
    for (const auto& c : cases) {
        const PermissionsPageModel m = permissionsPageModel({true, false}, c.offers, c.lang);
        QStringList rows;
        for (const auto& r : m.rows) {
            rows << r.title << r.badge.text << r.caption;
        }
        EXPECT_EQ(rows, c.rows);
        QStringList buttons;
        for (const auto& b : m.buttons) {
            buttons << b.title;
        }
        if (m.reset) {
            buttons << m.reset->title;
        }
        EXPECT_EQ(buttons, c.buttons);
        EXPECT_EQ(m.note, c.note);
        EXPECT_EQ(m.rows[0].badge.symbol, "checkmark.circle.fill");
        EXPECT_EQ(m.rows[0].badge.colour, Role::green);
        EXPECT_EQ(m.rows[1].badge.symbol, "exclamationmark.circle");
        EXPECT_EQ(m.rows[1].badge.colour, Role::orange);
    }
}

class PermissionsPage : public StateTest {};

// Each button hands its work to the state; the page itself never checks.
TEST_F(PermissionsPage, EachButtonCallsTheStateAndThePageNeverChecksByItself) {
    probe.settingsUrls.insert(PermissionSettingsTarget::accessibility, QUrl("settings://ax"));
    probe.settingsUrls.insert(PermissionSettingsTarget::inputMonitoring, QUrl("settings://im"));
    probe.inputMonitoring = false;
    makeState();
    PermissionsSettingsView page(*state);
    page.show();
    settle();
    EXPECT_EQ(probe.checks, 0);
    EXPECT_EQ(badges(page),
              (QStringList{"Accessibility: Needs Access", "Input Monitoring: Needs Access"}));
    const QList<QPushButton*> buttons = page.findChildren<QPushButton*>();  // the reset last
    ASSERT_EQ(buttons.size(), 5);

    buttons[0]->click();
    settle();
    EXPECT_EQ(badges(page),
              (QStringList{"Accessibility: Granted", "Input Monitoring: Needs Access"}));
    buttons[1]->click();
    settle();
    EXPECT_EQ(statuses().at(statuses().size() - 2), ActionStatus::done("Permission request sent"));
    buttons[2]->click();
    buttons[3]->click();
    settle();
    EXPECT_EQ(desktop.workspace.openedUrls,
              (QList<QUrl>{QUrl("settings://ax"), QUrl("settings://im")}));
    buttons[4]->click();
    settle();
    EXPECT_EQ(processes.calls.size(), 10);
    EXPECT_EQ(statuses().at(statuses().size() - 2),
              ActionStatus::done("Permissions reset. Request sent."));
}

// As the X11 probe reports servers with and without XTEST (xdotool needs it).
TEST_F(PermissionsPage, OverRealXServersOnlyRefreshIsOffered) {
    if (QStandardPaths::findExecutable("Xvfb").isEmpty()) {
        GTEST_SKIP() << "Xvfb is not installed";
    }
    for (bool withXTest : {true, false}) {
        PrivateXServer xserver(withXTest ? QStringList() : QStringList{"-extension", "XTEST"});
        ASSERT_NE(xserver.display, nullptr);
        X11PermissionProbe x11(xserver.display);
        PermissionService service{x11, desktop.workspace, processes};
        NiveloCore x11Core{std::make_unique<NativeActionService>(std::make_unique<BackendClient>(
                               server.url().toString(), QString(), transport, transport, "T")),
                           service};
        NiveloAppState x11State({desktop.clock, store, x11Core, captureServices.pasteboard, inputs,
                                 captureServices.history, appearance});
        PermissionsSettingsView page(x11State);
        page.findChildren<QPushButton*>().first()->click();
        settle();
        EXPECT_EQ(texts(page.findChildren<QPushButton*>()), QStringList{"Refresh"});
        EXPECT_EQ(badges(page), (QStringList{withXTest ? "Accessibility: Available"
                                                       : "Accessibility: Not available",
                                             "Input Monitoring: Available"}));
    }
}
