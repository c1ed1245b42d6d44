// The settings window over the application state: every control change is one save of the
// whole record, refreshes save nothing, the sidebar drives the detail column, and the Actions
// page runs actions on the sample text against the loopback backend.

#include <algorithm>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextEdit>

#include "settingswindow/ActionsSettingsView.h"
#include "settingswindow/ClampedTextLabel.h"
#include "settingswindow/MainSettingsView.h"
#include "settingswindow/SettingsSidebarRow.h"
#include "settingswindow/SettingsSidebarView.h"
#include "state/StateFixture.h"
#include "support/EditorTyping.h"
#include "support/NamedPart.h"
#include "theme/NiveloTheme.h"

class SettingsWindow : public StateTest {
public:
    std::unique_ptr<MainSettingsView> view;

    void SetUp() override {
        StateTest::SetUp();
        makeState();
        view = std::make_unique<MainSettingsView>(MainSettingsView::Environment{*state});
        view->resize(760, 480);
    }
    template <typename T, typename Key>
    T* find(const QString& name, Key key) const {
        const QList<T*> all = view->findChildren<T*>();
        const auto it = std::ranges::find(all, name, key);
        return it == all.end() ? nullptr : *it;
    }
    QComboBox* combo(const QString& n) const {
        return find<QComboBox>(n, &QWidget::accessibleName);
    }
    QCheckBox* box(const QString& n) const { return find<QCheckBox>(n, &QAbstractButton::text); }
    // The sidebar's rows in page order.
    QList<SettingsSidebarRow*> rows() const {
        return namedPart<SettingsSidebarView>(*view, "sidebar")
            ->findChildren<SettingsSidebarRow*>();
    }
    QString pageTitle() const { return namedPart<QLabel>(*view, "pageTitle")->text(); }
    template <class Page>
    Page* shownPage() const {
        return qobject_cast<Page*>(namedPart<QWidget>(*view, "page"));
    }
};

TEST_F(SettingsWindow, RefreshesSaveNothingAndEachControlChangeIsOneWholeSave) {
    for (SettingsPage page : allCases<SettingsPage>()) {
        state->setSelectedSettingsPage(page);
    }
    state->setSelectedSettingsPage(SettingsPage::actions);
    state->setSampleText(QStringLiteral("abc"));
    state->setSelectedSettingsPage(SettingsPage::general);
    EXPECT_EQ(defaults.saves, 0);

    // Each write keeps the ones before it.
    combo("Appearance")->setCurrentIndex(2);
    combo("Menu size")->setCurrentIndex(4);
    box("Show menu bar icon")->click();
    EXPECT_EQ(defaults.saves, 3);
    const NiveloSettings saved = store.load();
    EXPECT_EQ(saved.appearanceMode, AppearanceMode::liquidViolet);
    EXPECT_EQ(saved.quickMenuSize, MenuScale::xlarge);
    EXPECT_EQ(saved.menuScale, NiveloSettings().menuScale);
    EXPECT_FALSE(saved.menuBarIconVisible);
    EXPECT_EQ(saved, state->settings());
}

TEST_F(SettingsWindow, RussianRetitlesSidebarTitleRowAndPageAtOnce) {
    combo("Interface language")->setCurrentIndex(1);
    EXPECT_EQ(pageTitle(), "Основные");
    EXPECT_EQ(rows().at(1)->title(), "Действия");
    EXPECT_NE(combo("Внешний вид"), nullptr);
    EXPECT_NE(box("Оставлять NiveloAI в строке меню при закрытии"), nullptr);
}

TEST_F(SettingsWindow, SidebarAndOutsideSelectionSwitchPagesEachFromItsTop) {
    rows().at(int(SettingsPage::shortcuts))->click();
    EXPECT_EQ(pageTitle(), "Shortcuts");
    EXPECT_TRUE(rows().at(int(SettingsPage::shortcuts))->isSelected());
    EXPECT_FALSE(rows().at(0)->isSelected());

    state->setSampleText(QString(400, QLatin1Char('x')).replace(QLatin1Char('x'), "word "));
    state->setSelectedSettingsPage(SettingsPage::actions);
    view->show();
    QCoreApplication::processEvents();
    QScrollBar* bar = namedPart<QScrollArea>(*view, "pageScroll")->verticalScrollBar();
    bar->setValue(bar->maximum());
    ASSERT_GT(bar->value(), 0);
    state->setSelectedSettingsPage(SettingsPage::general);
    state->setSelectedSettingsPage(SettingsPage::actions);
    QCoreApplication::processEvents();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), 0);

    state->addPromptStyle();
    EXPECT_EQ(pageTitle(), "Styles");
}

TEST_F(SettingsWindow, ActionsPageRunsOnTheSampleAndShowsTheLatestOutput) {
    state->editSettings([](NiveloSettings& s) {
        s.quickMenuActions = {"ai", "style:original", "translate", "clipboard", "layout"};
    });
    state->setSelectedSettingsPage(SettingsPage::actions);
    auto* page = shownPage<ActionsSettingsView>();
    ASSERT_NE(page, nullptr);
    // Only actions on text get a row.
    for (const char* id : {"ai", "clipboard", "layout"}) {
        EXPECT_EQ(page->findChild<QPushButton*>(QStringLiteral("run:") + id), nullptr) << id;
    }
    EXPECT_TRUE(namedPart<QWidget>(*page, "outputSection")->isHidden());
    EXPECT_EQ(namedPart<QComboBox>(*page, "targetPicker")->count(), 100);

    defaults.saves = 0;
    namedPart<QComboBox>(*page, "targetPicker")->setCurrentText(QStringLiteral("French"));
    EXPECT_EQ(defaults.saves, 1);
    EXPECT_EQ(store.load().targetLanguage, "French");

    namedPart<QTextEdit>(*page, "sampleEditor")->setPlainText(QStringLiteral("i has a apple"));
    server.enqueue(CannedReply::result(QStringLiteral("I have an apple.")));
    namedPart<QPushButton>(*page, "run:style:original")->click();
    settle();
    ASSERT_EQ(server.requestCount(), 1);
    EXPECT_EQ(sentField(0, "text"), "i has a apple");
    EXPECT_EQ(namedPart<QTextEdit>(*page, "sampleEditor")->toPlainText(), "I have an apple.");
    EXPECT_FALSE(namedPart<QWidget>(*page, "outputSection")->isHidden());
    EXPECT_EQ(namedPart<QLabel>(*page, "output")->text(), "I have an apple.");
    EXPECT_EQ(namedPart<QLabel>(*page, "output")->textFormat(), Qt::PlainText);
    EXPECT_EQ(editor.pasteCount, 0);

    setLanguage(UiLanguage::ru);
    EXPECT_EQ(namedPart<QPushButton>(*page, "run:translate")->text(), "Запустить");
    EXPECT_EQ(namedPart<QComboBox>(*page, "targetPicker")->accessibleName(), "Язык перевода");
}

// "Run" pressed again while its first run is under way starts another; both answers land.
TEST_F(SettingsWindow, RunPressedAgainStartsAnotherRunAndBothAnswersLand) {
    state->editSettings([](NiveloSettings& s) { s.quickMenuActions = {"style:original"}; });
    state->setSelectedSettingsPage(SettingsPage::actions);
    auto* page = shownPage<ActionsSettingsView>();
    ASSERT_NE(page, nullptr);
    state->setSampleText(QStringLiteral("i has a apple"));
    QStringList landed;
    QObject::connect(state.get(), &NiveloAppState::latestOutputChanged, state.get(),
                     [&](const QString& text) { landed << text; });
    server.enqueue(CannedReply::result(QStringLiteral("I have an apple.")));
    server.enqueue(CannedReply::result(QStringLiteral("I have one apple.")));
    namedPart<QPushButton>(*page, "run:style:original")->click();
    namedPart<QPushButton>(*page, "run:style:original")->click();
    settle();
    ASSERT_EQ(server.requestCount(), 2);
    EXPECT_EQ(sentField(1, "text"), "i has a apple");
    ASSERT_EQ(landed.size(), 2);
    EXPECT_TRUE(landed.contains("I have an apple.") && landed.contains("I have one apple."));
    EXPECT_EQ(namedPart<QLabel>(*page, "output")->text(), landed.last());
    EXPECT_EQ(namedPart<QTextEdit>(*page, "sampleEditor")->toPlainText(), landed.last());
}

// The sample keeps what is typed and pasted (no-break spaces, U+2028; Shift+Return a "\n") and
// sends it so; a sample holding a paragraph separator comes back with "\n".
TEST_F(SettingsWindow, TheSampleIsStoredAndSentAsTyped) {
    state->editSettings([](NiveloSettings& s) { s.quickMenuActions = {"style:original"}; });
    state->setSelectedSettingsPage(SettingsPage::actions);
    auto* page = shownPage<ActionsSettingsView>();
    ASSERT_NE(page, nullptr);
    state->setSampleText(QStringLiteral("a\u2029b\u00a0c"));
    VirtualClock::flushEvents();
    QTextEdit* sample = namedPart<QTextEdit>(*page, "sampleEditor");
    sample->moveCursor(QTextCursor::End);
    const QString typed = editortyping::typeInvisibleCharacters(sample);
    VirtualClock::flushEvents();
    EXPECT_EQ(state->sampleText(), "a\nb\u00a0c" + typed);
    EXPECT_EQ(sample->textCursor().position(), sample->document()->characterCount() - 1);

    server.enqueue(CannedReply::result(QStringLiteral("done")));
    namedPart<QPushButton>(*page, "run:style:original")->click();
    settle();
    ASSERT_EQ(server.requestCount(), 1);
    EXPECT_EQ(sentField(0, "text"), "a\nb\u00a0c" + typed);
}

TEST(SidebarRow, ALongTitleWrapsAndTheRowGrows) {
    SettingsSidebarRow row(SettingsPage::quickMenu);
    row.setTitle(QStringLiteral("Quick Menu"));
    const int oneLine = row.heightForWidth(196);
    row.setTitle(QStringLiteral("A much longer page title that cannot fit on one line"));
    EXPECT_GE(oneLine, 34);
    const QFont font = row.findChild<ClampedTextLabel*>()->font();
    EXPECT_EQ(row.heightForWidth(196), 2 * QFontMetrics(font).lineSpacing() + 6);
    EXPECT_GT(row.heightForWidth(196), oneLine);
    EXPECT_EQ(row.accessibleName(), "A much longer page title that cannot fit on one line");

    // Two lines at most: the rest ends the second line with an ellipsis.
    const int twoLines = row.heightForWidth(196);
    row.setTitle(
        QStringLiteral("An even longer page title that goes on and on over three, four "
                       "and five lines of the narrow sidebar"));
    EXPECT_EQ(row.heightForWidth(196), twoLines);
    row.resize(196, twoLines);
    row.show();
    EXPECT_EQ(row.shownTitle().count('\n'), 1);
    EXPECT_TRUE(row.shownTitle().endsWith(QChar(0x2026)));
    EXPECT_TRUE(row.title().endsWith("sidebar"));
}

TEST_F(SettingsWindow, NoPageScrollsSidewaysAtTheMinimumWidthInEitherLanguage) {
    view->resize(MainSettingsView::kMinimumWidth, MainSettingsView::kMinimumHeight);
    view->show();
    QScrollBar* bar = namedPart<QScrollArea>(*view, "pageScroll")->horizontalScrollBar();
    for (const UiLanguage lang : {UiLanguage::en, UiLanguage::ru}) {
        setLanguage(lang);
        for (const SettingsPage page : allCases<SettingsPage>()) {
            state->setSelectedSettingsPage(page);
            QCoreApplication::processEvents();
            EXPECT_EQ(bar->maximum(), 0) << rawValue(page).toStdString() << " " << int(lang);
        }
    }
}

TEST_F(SettingsWindow, BackdropsAreMaterialsThatARestyleRepaintsInPlace) {
    view->show();
    SettingsWindowBackdrop* window = namedPart<SettingsWindowBackdrop>(*view, "windowBackdrop");
    SettingsSidebarBackdrop* sidebar = namedPart<SettingsSidebarBackdrop>(*view, "sidebarBackdrop");
    EXPECT_EQ(window->material(), VisualEffectBackground::Material::underWindowBackground);
    EXPECT_EQ(sidebar->material(), VisualEffectBackground::Material::sidebar);
    EXPECT_EQ(window->blendingMode(), VisualEffectBackground::BlendingMode::behindWindow);
    EXPECT_EQ(sidebar->state(), VisualEffectBackground::State::active);
    EXPECT_EQ(window->geometry(), view->rect());
    EXPECT_EQ(sidebar->height(), namedPart<QWidget>(*view, "sidebar")->parentWidget()->height());
    const QColor light = window->fill();

    state->editSettings([](NiveloSettings& s) { s.appearanceMode = AppearanceMode::liquidMint; });
    EXPECT_EQ(namedPart<SettingsWindowBackdrop>(*view, "windowBackdrop"), window);
    EXPECT_EQ(window->fill(),
              VisualEffectBackground::materialColor(
                  VisualEffectBackground::Material::underWindowBackground, ColorScheme::dark));
    EXPECT_NE(window->fill(), light);
    // The painted window: the material under the mode's faint gradient, opaque and dark.
    const QImage shot = view->grab().toImage();
    const QColor corner = shot.pixelColor(shot.width() - 3, 3);
    EXPECT_EQ(corner.alpha(), 255);
    EXPECT_LT(corner.lightness(), 60);

    window->setEffect(VisualEffectBackground::Material::sidebar,
                      VisualEffectBackground::BlendingMode::withinWindow,
                      VisualEffectBackground::State::inactive);
    EXPECT_EQ(window->fill(), sidebar->fill());
    EXPECT_EQ(window->state(), VisualEffectBackground::State::inactive);
}

TEST_F(SettingsWindow, DarkModesReachTheMenuBarPopUpsAndBoxOutlines) {
    QMainWindow main;
    QMenu* menu = main.menuBar()->addMenu(QStringLiteral("NiveloAI"));
    main.setCentralWidget(view.release());
    auto* content = static_cast<MainSettingsView*>(main.centralWidget());
    main.resize(MainSettingsView::kMinimumWidth, MainSettingsView::kMinimumHeight);
    main.show();
    const auto dark = [](const QWidget* w) {
        return w->palette().color(QPalette::Window).lightness() < 128 &&
               w->palette().color(QPalette::Button).lightness() < 128;
    };
    EXPECT_FALSE(dark(main.menuBar()));

    state->editSettings([](NiveloSettings& s) { s.appearanceMode = AppearanceMode::liquidSky; });
    EXPECT_TRUE(dark(main.menuBar()));
    menu->addAction(QStringLiteral("Show Quick Menu"));
    menu->popup(QPoint(10, 10));
    EXPECT_TRUE(dark(menu));
    const QImage drawnMenu = menu->grab().toImage();
    EXPECT_LT(drawnMenu.pixelColor(drawnMenu.width() - 3, drawnMenu.height() / 2).lightness(), 100);
    menu->hide();
    QComboBox* appearance = nullptr;
    for (QComboBox* c : content->findChildren<QComboBox*>()) {
        if (c->accessibleName() == "Appearance") {
            appearance = c;
        }
    }
    ASSERT_NE(appearance, nullptr);
    appearance->showPopup();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dark(appearance->view()->window()));
    // The list as drawn: an item that is not the current one lies on a dark ground.
    const QAbstractItemView* list = appearance->view();
    const QRect last = list->visualRect(list->model()->index(list->model()->rowCount() - 1, 0));
    const QImage popup = list->viewport()->grab().toImage();
    const QPoint ground(popup.width() - 4, last.center().y());
    ASSERT_TRUE(popup.rect().contains(ground));
    EXPECT_LT(popup.pixelColor(ground).lightness(), 100);
    appearance->hidePopup();

    // An unchecked box's frame stands out from the window behind it.
    state->editSettings([](NiveloSettings& s) { s.openMainWindowOnLaunch = false; });
    QCheckBox* toggle = nullptr;
    for (QCheckBox* b : content->findChildren<QCheckBox*>()) {
        if (b->text() == "Open main window on launch") {
            toggle = b;
        }
    }
    ASSERT_NE(toggle, nullptr);
    ASSERT_FALSE(toggle->isChecked());
    QStyleOptionButton option;
    option.initFrom(toggle);
    const QRect indicator =
        toggle->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, toggle);
    const QImage shot = main.grab().toImage();
    const QPoint origin = toggle->mapTo(&main, indicator.topLeft());
    const QColor frame = shot.pixelColor(origin + QPoint(0, indicator.height() / 2));
    const QColor behind = shot.pixelColor(origin + QPoint(-3, indicator.height() / 2));
    EXPECT_GE(NiveloTheme::contrastRatio(frame, behind), 3.0)
        << frame.name().toStdString() << " on " << behind.name().toStdString();

    state->editSettings([](NiveloSettings& s) { s.appearanceMode = AppearanceMode::system; });
    EXPECT_FALSE(dark(main.menuBar()));
}
