#include <QEnterEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <algorithm>
#include <optional>
#include <set>

#include "core/NiveloPromptLibrary.h"
#include "panels/QuickPanelFixture.h"
#include "support/DrawnPopup.h"
#include "support/NamedPart.h"
#include "support/VirtualAnimationTime.h"
#include "theme/NiveloTheme.h"

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

// Shown behind windows that cover it whole, the panel comes forward on a toggle.
TEST_F(QuickPanelTest, ToggleShowsAPanelOtherWindowsCoverWhole) {
    controller.show(state);
    hints.covered = {controller.panel()->winId()};
    controller.toggle(state);
    EXPECT_TRUE(controller.isPanelVisible());
    EXPECT_TRUE(controller.hasDismissMonitors());
    hints.covered.clear();
    controller.toggle(state);
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

// The language menu opens in the panel's look, as one scrolling column that marks the target
// language with a check mark.
TEST_F(QuickPanelTest, LanguageMenuIsOneColumnInThePanelsLook) {
    for (const PopupLook& c : kPopupLooks) {
        const auto desktop = desktopIn(c);
        state.editSettings([&](NiveloSettings& s) {
            s.appearanceMode = c.mode;
            s.quickMenuActions = {"translate"};
            s.targetLanguage = "Vietnamese";
        });
        controller.show(state);
        VirtualClock::flushEvents();
        namedPart<QToolButton>(view()->row("translate"), "languageButton")->click();
        auto* menu = namedPart<QMenu>(view()->row("translate"), "languageMenu");
        ASSERT_TRUE(menu->isVisible());
        const int ground = drawnPopup::menuGround(menu);
        EXPECT_EQ(ground < 100, c.dark) << int(c.mode) << " " << ground;
        EXPECT_EQ(ground > 200, !c.dark) << int(c.mode) << " " << ground;

        std::set<int> columns;
        for (QAction* action : menu->actions()) {
            columns.insert(menu->actionGeometry(action).x());
        }
        EXPECT_EQ(columns.size(), 1u);
        EXPECT_LT(menu->width(), 260);
        EXPECT_LE(menu->height(), menu->screen()->availableGeometry().height());
        // The target language opens over the button, marked in the column before the names.
        const auto marks = [&](const QString& language) {
            const QList<QAction*> actions = menu->actions();
            QAction* action = *std::ranges::find(actions, language, &QAction::text);
            const QRect item = menu->actionGeometry(action);
            EXPECT_TRUE(menu->rect().contains(item)) << language.toStdString();
            const QImage shot = menu->grab().toImage();
            int inked = 0;
            for (int x = item.left() + 2; x < item.left() + 24; ++x) {
                for (int y = item.top() + 2; y < item.bottom() - 1; ++y) {
                    inked += std::abs(shot.pixelColor(x, y).lightness() - ground) > 60;
                }
            }
            return inked;
        };
        const qsizetype chosen = NiveloPromptLibrary::languages().indexOf("Vietnamese");
        EXPECT_GT(marks("Vietnamese"), 8);
        EXPECT_EQ(marks(NiveloPromptLibrary::languages()[chosen + 1]), 0);
        menu->hide();
        controller.hide();
    }
}

// The lit look eases out over 0.12 s, coming and going.
TEST_F(QuickPanelTest, HoverEasesInAndOutOverATenthOfASecondAndMore) {
    VirtualAnimationTime animations;
    state.editSettings([](NiveloSettings& s) {
        s.appearanceMode = AppearanceMode::liquidMint;
        s.quickMenuActions = {"ai", "clipboard"};
    });
    controller.show(state);
    VirtualClock::flushEvents();
    QuickActionRow* row = view()->row("clipboard");
    QWidget* panel = controller.panel();
    // The row's ground beside its right end: the channel that changes most tells the way.
    const auto ground = [&] {
        const QImage shot = panel->grab().toImage();
        return shot.pixelColor(row->mapTo(panel, QPoint(row->width() - 8, row->height() / 2)));
    };
    const QColor rest = ground();
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(row, &enter);
    animations.advance(200);
    const QColor lit = ground();
    const auto share = [&](const QColor& c) {
        const int channels[][3] = {{rest.red(), lit.red(), c.red()},
                                   {rest.green(), lit.green(), c.green()},
                                   {rest.blue(), lit.blue(), c.blue()}};
        const auto* widest = std::ranges::max_element(
            channels, {}, [](const int* ch) { return std::abs(ch[1] - ch[0]); });
        return double((*widest)[2] - (*widest)[0]) / ((*widest)[1] - (*widest)[0]);
    };
    ASSERT_NE(rest, lit);

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(row, &leave);
    EXPECT_NEAR(share(ground()), 1.0, 0.05);
    animations.advance(48);
    // Two fifths of the time on, well on its way but not there.
    const double going = share(ground());
    EXPECT_LT(going, 0.6);
    EXPECT_GT(going, 0.05);
    animations.advance(80);
    EXPECT_NEAR(share(ground()), 0.0, 0.05);

    QCoreApplication::sendEvent(row, &enter);
    animations.advance(48);
    const double coming = share(ground());
    EXPECT_GT(coming, 0.4);
    EXPECT_LT(coming, 0.95);
    EXPECT_TRUE(view()->hoveredActionID() == "clipboard");
    animations.advance(80);
    EXPECT_NEAR(share(ground()), 1.0, 0.05);
}
