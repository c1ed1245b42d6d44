// The settings window over the application state: every control change is one save of the
// whole record, refreshes save nothing, the sidebar drives the detail column, and the Actions
// page runs actions on the sample text against the loopback backend.

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextEdit>

#include "settingswindow/ActionsSettingsView.h"
#include "settingswindow/MainSettingsView.h"
#include "settingswindow/SettingsDetailView.h"
#include "settingswindow/SettingsSidebarRow.h"
#include "settingswindow/SettingsSidebarView.h"
#include "state/StateFixture.h"
#include "support/EditorTyping.h"

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
    EXPECT_EQ(view->detail()->titleLabel()->text(), "Основные");
    EXPECT_EQ(view->sidebar()->rows().at(1)->title(), "Действия");
    EXPECT_NE(combo("Внешний вид"), nullptr);
    EXPECT_NE(box("Оставлять NiveloAI в строке меню при закрытии"), nullptr);
}

TEST_F(SettingsWindow, SidebarAndOutsideSelectionSwitchPagesEachFromItsTop) {
    view->sidebar()->rows().at(int(SettingsPage::shortcuts))->click();
    EXPECT_EQ(view->detail()->titleLabel()->text(), "Shortcuts");
    EXPECT_TRUE(view->sidebar()->rows().at(int(SettingsPage::shortcuts))->isSelected());
    EXPECT_FALSE(view->sidebar()->rows().at(0)->isSelected());

    state->setSampleText(QString(400, QLatin1Char('x')).replace(QLatin1Char('x'), "word "));
    state->setSelectedSettingsPage(SettingsPage::actions);
    view->show();
    QCoreApplication::processEvents();
    QScrollBar* bar = view->detail()->scrollArea()->verticalScrollBar();
    bar->setValue(bar->maximum());
    ASSERT_GT(bar->value(), 0);
    state->setSelectedSettingsPage(SettingsPage::general);
    state->setSelectedSettingsPage(SettingsPage::actions);
    QCoreApplication::processEvents();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), 0);

    state->addPromptStyle();
    EXPECT_EQ(view->detail()->titleLabel()->text(), "Styles");
}

TEST_F(SettingsWindow, ActionsPageRunsOnTheSampleAndShowsTheLatestOutput) {
    state->editSettings([](NiveloSettings& s) {
        s.quickMenuActions = {"ai", "style:original", "translate", "clipboard", "layout"};
    });
    state->setSelectedSettingsPage(SettingsPage::actions);
    auto* page = qobject_cast<ActionsSettingsView*>(view->detail()->pageWidget());
    ASSERT_NE(page, nullptr);
    for (const char* id : {"ai", "clipboard", "layout"}) {
        EXPECT_EQ(page->runButton(id), nullptr) << id;  // only actions on text get a row
    }
    EXPECT_TRUE(page->outputSection()->isHidden());
    EXPECT_EQ(page->targetPicker()->count(), 100);

    defaults.saves = 0;
    page->targetPicker()->setCurrentText(QStringLiteral("French"));
    EXPECT_EQ(defaults.saves, 1);
    EXPECT_EQ(store.load().targetLanguage, "French");

    page->editor()->setPlainText(QStringLiteral("i has a apple"));
    server.enqueue(CannedReply::result(QStringLiteral("I have an apple.")));
    page->runButton("style:original")->click();
    settle();
    ASSERT_EQ(server.requestCount(), 1);
    EXPECT_EQ(sentField(0, "text"), "i has a apple");
    EXPECT_EQ(page->editor()->toPlainText(), "I have an apple.");
    EXPECT_FALSE(page->outputSection()->isHidden());
    EXPECT_EQ(page->output()->text(), "I have an apple.");
    EXPECT_EQ(page->output()->textFormat(), Qt::PlainText);
    EXPECT_EQ(editor.pasteCount, 0);

    setLanguage(UiLanguage::ru);
    EXPECT_EQ(page->runButton("translate")->text(), "Запустить");
    EXPECT_EQ(page->targetPicker()->accessibleName(), "Язык перевода");
}

// The sample keeps what is typed and pasted (no-break spaces, U+2028; Shift+Return a "\n") and
// sends it so; a sample holding a paragraph separator comes back with "\n".
TEST_F(SettingsWindow, TheSampleIsStoredAndSentAsTyped) {
    state->editSettings([](NiveloSettings& s) { s.quickMenuActions = {"style:original"}; });
    state->setSelectedSettingsPage(SettingsPage::actions);
    auto* page = qobject_cast<ActionsSettingsView*>(view->detail()->pageWidget());
    ASSERT_NE(page, nullptr);
    state->setSampleText(QStringLiteral("a\u2029b\u00a0c"));
    VirtualClock::flushEvents();
    page->editor()->moveCursor(QTextCursor::End);
    const QString typed = editortyping::typeInvisibleCharacters(page->editor());
    VirtualClock::flushEvents();
    EXPECT_EQ(state->sampleText(), "a\nb\u00a0c" + typed);
    EXPECT_EQ(page->editor()->textCursor().position(),
              page->editor()->document()->characterCount() - 1);

    server.enqueue(CannedReply::result(QStringLiteral("done")));
    page->runButton("style:original")->click();
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
    EXPECT_GT(row.heightForWidth(196), oneLine + 8);
    EXPECT_EQ(row.accessibleName(), "A much longer page title that cannot fit on one line");
}
