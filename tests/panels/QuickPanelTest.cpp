#include <QEnterEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <algorithm>
#include <optional>
#include <set>

#include "core/NiveloPromptLibrary.h"
#include "panels/LanguageMenu.h"
#include "panels/QuickPanelFixture.h"
#include "support/DrawnPopup.h"
#include "support/NamedPart.h"
#include "support/VirtualAnimationTime.h"
#include "theme/NiveloTheme.h"

namespace {
QStringList firstIds(int n) {
    return QuickAction::defaultIds().mid(0, n);
}

// A click on a language's row of an open menu.
void clickLanguage(LanguageMenu* menu, const QString& language) {
    QWidget* rows = namedPart<QListWidget>(menu, "languageList")->viewport();
    const QPoint at = rows->mapFromGlobal(languageRow(menu, language).center());
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, rows->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(rows, &event);
    }
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
    auto* menu = namedPart<LanguageMenu>(view()->row("translate"), "languageMenu");
    ASSERT_TRUE(menu);
    const QListWidget* list = namedPart<QListWidget>(menu, "languageList");
    QStringList names;
    for (int i = 0; i < list->count(); ++i) {
        names << list->item(i)->text();
    }
    EXPECT_EQ(names, NiveloPromptLibrary::languages());
    namedPart<QToolButton>(view()->row("translate"), "languageButton")->click();
    EXPECT_EQ(list->currentItem()->text(), "Spanish");
    menu->hide();
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
    namedPart<QToolButton>(view()->row("translate"), "languageButton")->click();
    auto* menu = namedPart<LanguageMenu>(view()->row("translate"), "languageMenu");
    clickLanguage(menu, "German");
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(runs, (QStringList{"0", "German"}));
    EXPECT_FALSE(controller.isPanelVisible());
}

// The language menu opens in the panel's look, as one scrolling column that marks the target
// language with a check mark.
TEST_F(QuickPanelTest, LanguageMenuIsOneColumnInThePanelsLook) {
    const QStringList languages = NiveloPromptLibrary::languages();
    for (const PopupLook& c : kPopupLooks) {
        const auto desktop = desktopIn(c);
        auto* menu = openVietnameseMenu(c.mode);
        ASSERT_TRUE(menu->isVisible());
        const QImage shot = menu->grab().toImage();
        const auto rowIn = [&](const QString& language) {
            const QRect row = languageRow(menu, language);
            return QRect(menu->mapFromGlobal(row.topLeft()), row.size());
        };
        // A row's own ground, right of its name.
        const auto ground = [&](const QRect& row) {
            return shot.pixelColor(row.right() - 3, row.center().y()).lightness();
        };
        const qsizetype chosen = languages.indexOf("Vietnamese");
        const QRect next = rowIn(languages[chosen + 1]);
        EXPECT_EQ(ground(next) < 100, c.dark) << int(c.mode) << " " << ground(next);
        EXPECT_EQ(ground(next) > 200, !c.dark) << int(c.mode) << " " << ground(next);

        std::set<int> columns;
        for (const QString& language : languages) {
            columns.insert(languageRow(menu, language).x());
        }
        EXPECT_EQ(columns.size(), 1u);
        EXPECT_LT(menu->width(), 260);
        // Marked in the column before the names.
        const auto marks = [&](const QString& language) {
            const QRect row = rowIn(language);
            EXPECT_TRUE(menu->rect().contains(row)) << language.toStdString();
            int inked = 0;
            for (int x = row.left() + 2; x < row.left() + 22; ++x) {
                for (int y = row.top() + 2; y < row.bottom() - 1; ++y) {
                    inked += std::abs(shot.pixelColor(x, y).lightness() - ground(row)) > 60;
                }
            }
            return inked;
        };
        EXPECT_GT(marks("Vietnamese"), 4);
        EXPECT_EQ(marks(languages[chosen + 1]), 0);
        menu->hide();
        controller.hide();
    }
}

// The lit row's name reads at 4.5:1 or more on its highlight in every look, on a light and on
// a dark desktop: measured on the drawn menu, the name's strongest pixel against the row's
// ground.
TEST_F(QuickPanelTest, TheLitLanguageReadsInEveryLook) {
    QStringList failed;
    for (const AppearanceMode mode : allCases<AppearanceMode>()) {
        for (const bool darkDesktop : {false, true}) {
            const auto desktop = desktopIn({mode, darkDesktop, true});
            auto* menu = openVietnameseMenu(mode);
            const QImage shot = menu->grab().toImage();
            const QRect lit = languageRow(menu, "Vietnamese").translated(-menu->pos());
            const QColor ground = shot.pixelColor(lit.right() - 3, lit.center().y());
            double strongest = 1;
            for (int x = lit.left() + 20; x < lit.left() + 90; ++x) {
                for (int y = lit.top(); y <= lit.bottom(); ++y) {
                    strongest = std::max(strongest,
                                         NiveloTheme::contrastRatio(shot.pixelColor(x, y), ground));
                }
            }
            if (strongest < NiveloTheme::kReadableContrast) {
                failed << QString("%1 on a %2 desktop: %3:1")
                              .arg(rawValue(mode), darkDesktop ? "dark" : "light")
                              .arg(strongest, 0, 'f', 2);
            }
            menu->hide();
            controller.hide();
        }
    }
    EXPECT_TRUE(failed.isEmpty()) << failed.join('\n').toStdString();
}

// The chosen row lies at the anchor, moved only into the work area; the menu shows the rows
// that fit from there, the rows above scrolled away.
TEST(LanguageMenuPlacement, TheChosenRowLiesAtTheAnchorAndTheMenuOnTheWorkArea) {
    const QRect area(0, 40, 1600, 1000);  // below a 40 px bar
    const struct {
        const char* name;
        int rows;  // of 20 px; framed by 1 px
        int chosen;
        QPoint anchor;
        LanguageMenuPlacement expected;
    } cases[] = {
        {"first of many, mid screen", 100, 0, {100, 500}, {QRect(100, 499, 150, 541), 0}},
        {"deep, mid screen", 100, 72, {100, 500}, {QRect(100, 40, 150, 1000), 981}},
        {"last, high", 100, 99, {100, 100}, {QRect(100, 40, 150, 81), 1921}},
        {"a short list whole", 5, 2, {100, 500}, {QRect(100, 459, 150, 102), 0}},
        {"row past the bottom, right edge", 100, 0, {1500, 1035}, {QRect(1450, 1018, 150, 22), 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(placeLanguageMenu({150, c.rows * 20, c.chosen * 20, 20, 1}, c.anchor, area),
                  c.expected)
            << c.name;
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
