#include "core/NiveloPromptLibrary.h"
#include "panels/QuickPanelFixture.h"

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
        QString savedWidth;  // empty: nothing saved
        QString savedHeight;
        QSize expected;
    };
    const Case cases[] = {
        {"tiny, six actions", MenuScale::tiny, 6, 860, "", "", {300, 360}},
        {"tiny, four or fewer", MenuScale::tiny, 2, 860, "", "", {300, 272}},
        {"xlarge, ten, tall screen", MenuScale::xlarge, 10, 900, "", "", {410, 620}},
        {"xlarge, ten, short screen", MenuScale::xlarge, 10, 500, "", "", {410, 420}},
        {"saved width capped", MenuScale::tiny, 6, 860, "900", "400.5", {560, 400}},
        {"saved height too small", MenuScale::tiny, 6, 860, "400", "250", {300, 360}},
        {"saved height capped", MenuScale::tiny, 6, 500, "400", "900", {400, 420}},
        {"saved text", MenuScale::tiny, 6, 860, "wide", "400", {300, 360}},
        {"saved infinity", MenuScale::tiny, 6, 860, "inf", "400", {300, 360}},
    };
    for (const Case& c : cases) {
        screens.list = {
            {QRect(0, 0, 1600, c.mainVisibleHeight + 40), QRect(0, 40, 1600, c.mainVisibleHeight)}};
        state.editSettings([&](NiveloSettings& s) {
            s.quickMenuSize = c.scale;
            s.quickMenuActions = firstIds(c.actions);
        });
        ASSERT_EQ(state.quickActions().size(), c.actions) << c.name;
        panelDefaults.remove(QuickPanelController::kWidthKey);
        panelDefaults.remove(QuickPanelController::kHeightKey);
        if (!c.savedWidth.isEmpty()) {
            panelDefaults.setString(QuickPanelController::kWidthKey, c.savedWidth);
            panelDefaults.setString(QuickPanelController::kHeightKey, c.savedHeight);
        }
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
    EXPECT_EQ(controller.savedPanelSize({1, 1}), QSize(560, 300));
}

TEST_F(QuickPanelTest, ShowRemembersPlacesOnceNeverActivatesAndToggleHides) {
    SimulatedApp& editor = desktop.launch("org.xfce.mousepad");
    desktop.bringToFront(editor.pid);
    setActions(firstIds(3));
    controller.show(state);
    EXPECT_EQ(capture.focus.rememberedBundleIdentifier(), QString("org.xfce.mousepad"));
    ASSERT_TRUE(controller.isPanelVisible());
    EXPECT_EQ(controller.panel()->geometry(), QRect(514, 382, 300, 272));
    EXPECT_TRUE(controller.hasDismissMonitors());
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

TEST_F(QuickPanelTest, ModelFollowsMenuSizeActionsAndLanguage) {
    struct Case {
        MenuScale scale;
        UiLanguage language;
        QuickPanelMetrics metrics;
        QStringList titles;
    };
    const Case cases[] = {
        {MenuScale::tiny, UiLanguage::en, {13, 10, 8, 7, 16}, {"AI assistant", "Translate", "Fix"}},
        {MenuScale::large,
         UiLanguage::ru,
         {16, 15, 13, 10, 21},
         {"AI помощник", "Перевод", "Исправить"}},
        {MenuScale::xlarge,
         UiLanguage::en,
         {17, 17, 15, 11, 23},
         {"AI assistant", "Translate", "Fix"}},
    };
    for (const Case& c : cases) {
        state.editSettings([&](NiveloSettings& s) {
            s.quickMenuSize = c.scale;
            s.uiLanguage = c.language;
            s.quickMenuActions = firstIds(3);
        });
        const QuickActionPanelModel model = quickActionPanelModel(state);
        EXPECT_EQ(model.metrics, c.metrics);
        QStringList titles;
        for (const QuickPanelRow& row : model.rows) {
            titles << row.title;
            EXPECT_EQ(row.hasLanguageMenu, row.id == "translate") << row.id.toStdString();
        }
        EXPECT_EQ(titles, c.titles);
    }
}

TEST_F(QuickPanelTest, ViewRebuildsWhileShownAndChecksExactlyTheTargetLanguage) {
    setActions(firstIds(3));
    controller.show(state);
    ASSERT_EQ(view()->rows().size(), 3);
    EXPECT_EQ(view()->row("ai")->accessibleName(), "AI assistant");
    state.editSettings([](NiveloSettings& s) {
        s.quickMenuActions = {"clipboard", "translate"};
        s.targetLanguage = "Spanish";
        s.quickMenuSize = MenuScale::large;
    });
    VirtualClock::flushEvents();
    ASSERT_EQ(view()->rows().size(), 2);
    EXPECT_EQ(view()->rows().first()->row().id, "clipboard");
    QMenu* menu = view()->languageMenu();
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->actions().size(), NiveloPromptLibrary::languages().size());
    QStringList checked;
    for (QAction* a : menu->actions()) {
        if (a->isChecked()) {
            checked << a->text();
        }
    }
    EXPECT_EQ(checked, QStringList{"Spanish"});
    EXPECT_EQ(view()->row("clipboard")->languageButton(), nullptr);
}

TEST_F(QuickPanelTest, RowsHideThePanelBeforeTheyRun) {
    setActions({"ai", "clipboard", "translate", "style:original"});
    struct Seen {
        bool panelShown;
        QString language;
    };
    QList<Seen> runs;
    QObject::connect(&state, &NiveloAppState::statusChanged, &state, [&](const ActionStatus& s) {
        if (s.kind() == ActionStatus::Kind::running && runs.isEmpty()) {
            runs.append({controller.isPanelVisible(), state.settings().targetLanguage});
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
    QAction* german = nullptr;
    for (QAction* a : view()->languageMenu()->actions()) {
        if (a->text() == "German") {
            german = a;
        }
    }
    ASSERT_TRUE(german);
    german->trigger();
    ASSERT_EQ(runs.size(), 1);
    EXPECT_FALSE(runs[0].panelShown);
    EXPECT_EQ(runs[0].language, "German");
    EXPECT_FALSE(controller.isPanelVisible());
}
