#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <algorithm>

#include "core/NiveloPromptLibrary.h"
#include "panels/QuickPanelFixture.h"
#include "support/NamedPart.h"

namespace {
QStringList firstIds(int n) {
    return QuickAction::defaultIds().mid(0, n);
}
}  // namespace

TEST_F(QuickPanelTest, NewPanelSizeFollowsMenuSizeActionsScreenAndSavedSize) {
    struct Case {
        const char* name;
        MenuScale scale;
        int actions;
        int mainVisibleHeight;
        QString savedWidth;  // empty: no number
        QString savedHeight;
        QSize expected;
    };
    const Case cases[] = {
        {"tiny, six actions", MenuScale::tiny, 6, 860, "", "", {300, 360}},
        {"tiny, four or fewer", MenuScale::tiny, 2, 860, "", "", {300, 272}},
        {"xlarge, ten, short screen", MenuScale::xlarge, 10, 500, "", "", {410, 420}},
        {"saved width capped", MenuScale::tiny, 6, 860, "900", "400.5", {560, 400}},
        {"saved height too small", MenuScale::tiny, 6, 860, "400", "250", {300, 360}},
        {"saved height capped", MenuScale::tiny, 6, 500, "400", "900", {400, 420}},
        {"saved infinity", MenuScale::tiny, 6, 860, "inf", "400", {300, 360}},
    };
    for (const Case& c : cases) {
        screens.list = {
            {QRect(0, 0, 1600, c.mainVisibleHeight + 40), QRect(0, 40, 1600, c.mainVisibleHeight)}};
        state.editSettings([&](NiveloSettings& s) {
            s.quickMenuSize = c.scale;
            s.quickMenuActions = firstIds(c.actions);
        });
        panelDefaults.setString(QuickPanelController::kWidthKey, c.savedWidth);
        panelDefaults.setString(QuickPanelController::kHeightKey, c.savedHeight);
        EXPECT_EQ(controller.savedPanelSize(controller.preferredPanelSize(state)), c.expected)
            << c.name;
    }
}

TEST_F(QuickPanelTest, UserResizeIsSavedUncappedAndReadOnlyWhenThePanelIsMade) {
    controller.show(state);
    ASSERT_TRUE(controller.panel());
    Q_EMIT controller.panel()->userResized(QSize(1000, 300));
    EXPECT_EQ(panelDefaults.doubleValue(QuickPanelController::kWidthKey), 1000);
    EXPECT_EQ(panelDefaults.doubleValue(QuickPanelController::kHeightKey), 300);
    const QSize before = controller.panel()->size();
    controller.hide();
    controller.show(state);
    EXPECT_EQ(controller.panel()->size(), before);
}

TEST_F(QuickPanelTest, ShowRemembersPlacesOnceNeverActivatesAndToggleHides) {
    desktop.bringToFront(desktop.launch("org.xfce.mousepad").pid);
    state.editSettings([](NiveloSettings& s) { s.quickMenuActions = firstIds(3); });
    controller.show(state);
    EXPECT_EQ(capture.focus.rememberedBundleIdentifier(), QString("org.xfce.mousepad"));
    ASSERT_TRUE(controller.isPanelVisible());
    EXPECT_EQ(controller.panel()->geometry(), QRect(514, 382, 300, 272));
    EXPECT_TRUE(activation.requests.isEmpty());

    screens.pointerAt = QPoint(900, 500);
    controller.show(state);
    EXPECT_EQ(controller.panel()->pos(), QPoint(514, 382));

    controller.toggle(state);
    EXPECT_FALSE(controller.isPanelVisible());
    EXPECT_FALSE(controller.hasDismissMonitors());
    controller.toggle(state);
    EXPECT_EQ(controller.panel()->pos(), QPoint(914, 482));

    // A click in another application dismisses it.
    monitors.emitGlobal(MonitoredEvent::LeftMouseDown);
    VirtualClock::flushEvents();
    EXPECT_FALSE(controller.isPanelVisible());
}

// Each opening starts at the first actions.
TEST_F(QuickPanelTest, ReopeningStartsAtTheTop) {
    controller.show(state);
    controller.panel()->resize(300, 200);
    QScrollBar* bar = controller.panel()->findChild<QScrollArea*>()->verticalScrollBar();
    QCoreApplication::processEvents();
    bar->setValue(bar->maximum());
    ASSERT_GT(bar->value(), 0);
    controller.toggle(state);
    controller.toggle(state);
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(QuickPanelTest, ModelFollowsMenuSizeActionsAndLanguage) {
    state.editSettings([&](NiveloSettings& s) {
        s.quickMenuSize = MenuScale::large;
        s.uiLanguage = UiLanguage::ru;
        s.quickMenuActions = firstIds(3);
    });
    const QuickActionPanelModel model = quickActionPanelModel(state);
    EXPECT_EQ(model.metrics, (QuickPanelMetrics{16, 15, 13, 10, 21}));
    QStringList titles;
    for (const QuickPanelRow& row : model.rows) {
        titles << row.title;
        EXPECT_EQ(row.hasLanguageMenu, row.id == "translate") << row.id.toStdString();
    }
    EXPECT_EQ(titles, (QStringList{"AI помощник", "Перевод", "Исправить"}));
}

TEST_F(QuickPanelTest, ViewRebuildsWhileShownAndChecksExactlyTheTargetLanguage) {
    state.editSettings([](NiveloSettings& s) { s.quickMenuActions = firstIds(3); });
    controller.show(state);
    EXPECT_EQ(view()->row("ai")->accessibleName(), "AI assistant");
    state.editSettings([](NiveloSettings& s) {
        s.quickMenuActions = {"clipboard", "translate"};
        s.targetLanguage = "Spanish";
        s.quickMenuSize = MenuScale::large;
    });
    VirtualClock::flushEvents();
    ASSERT_EQ(view()->rows().size(), 2);
    EXPECT_EQ(view()->rows().first()->row().id, "clipboard");
    auto* menu = namedPart<QMenu>(view()->row("translate"), "languageMenu");
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->actions().size(), NiveloPromptLibrary::languages().size());
    const QList<QAction*> items = menu->actions();
    EXPECT_EQ(std::ranges::count_if(items, &QAction::isChecked), 1);
    EXPECT_TRUE((*std::ranges::find(items, QString("Spanish"), &QAction::text))->isChecked());
    EXPECT_EQ(view()->row("clipboard")->findChild<QToolButton*>("languageButton"), nullptr);
    EXPECT_TRUE(namedPart<QToolButton>(view()->row("translate"), "languageButton"));
}

TEST_F(QuickPanelTest, RowsHideThePanelBeforeTheyRun) {
    state.editSettings([](NiveloSettings& s) {
        s.quickMenuActions = {"ai", "clipboard", "translate", "style:original"};
    });
    QStringList runs;  // panel shown, target language at the start of the run
    QObject::connect(&state, &NiveloAppState::statusChanged, &state, [&](const ActionStatus& s) {
        if (s.kind() == ActionStatus::Kind::running && runs.isEmpty()) {
            runs << QString::number(controller.isPanelVisible()) << state.settings().targetLanguage;
        }
    });

    controller.show(state);
    view()->row("clipboard")->click();
    controller.show(state);
    view()->row("ai")->click();
    VirtualClock::flushEvents();
    EXPECT_EQ(recorder.log, (QStringList{"clipboard", "assistant:"}));

    controller.show(state);
    VirtualClock::flushEvents();
    const QList<QAction*> languages =
        namedPart<QMenu>(view()->row("translate"), "languageMenu")->actions();
    const auto german = std::ranges::find(languages, QString("German"), &QAction::text);
    ASSERT_NE(german, languages.end());
    (*german)->trigger();
    EXPECT_EQ(runs, (QStringList{"0", "German"}));
    EXPECT_FALSE(controller.isPanelVisible());
}
