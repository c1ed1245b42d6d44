// The Quick Menu page over the application state: which rows it shows for stored lists, what
// a switch or a move writes and how often it saves, and the page's own controls.

#include <QCheckBox>
#include <QComboBox>
#include <QToolButton>

#include "settingswindow/GeneralSettingsView.h"
#include "settingswindow/QuickMenuModel.h"
#include "settingswindow/QuickMenuSettingsView.h"
#include "settingswindow/SettingsBinding.h"
#include "state/StateFixture.h"
#include "support/NamedPart.h"

class QuickMenuPage : public StateTest {
public:
    void SetUp() override {
        StateTest::SetUp();
        makeState();
    }
    QList<QuickAction> rows() const { return QuickMenuModel(*state).orderedActions(); }
};

namespace {

// A control of an action's row on the page: "toggle", "up" or "down".
template <class T>
T* rowPart(const QuickMenuSettingsView& page, const QString& id, const char* name) {
    QWidget* row = namedPart<QWidget>(page, "action:" + id);
    return row ? namedPart<T>(*row, name) : nullptr;
}

}  // namespace

TEST_F(QuickMenuPage, RowsShowEveryAvailableActionOnceInTheSavedOrder) {
    // With the defaults: exactly the default quick actions, all on.
    EXPECT_EQ(rows(), QuickAction::defaultActions());
    for (const auto& row : quickMenuPageModel(*state).rows) {
        EXPECT_TRUE(row.enabled) << row.id.toStdString();
    }
    // A twice-named id, an unknown one and the bare "original"; the rest follow.
    state->editSettings([](NiveloSettings& s) {
        s.quickMenuOrder = {"layout", "original", "ghost", " layout", "style:original", "ai"};
    });
    const QList<QuickAction> shown = rows();
    EXPECT_EQ(shown.mid(0, 5),
              (QList<QuickAction>{
                  {"layout"}, {"style:original"}, {"ai"}, {"translate"}, {"style:friendly"}}));
    for (const QuickAction& action : QuickAction::defaultActions()) {
        EXPECT_EQ(shown.count(action), 1) << action.id.toStdString();
    }
}

TEST_F(QuickMenuPage, SwitchingSortsTheEnabledListIntoDisplayOrderInOneSave) {
    state->editSettings([](NiveloSettings& s) {
        s.quickMenuActions = {"layout", "style:gone", "ai", "fix", "translate"};
    });
    const struct {
        const char* id;
        bool on;
        QStringList expected;
    } steps[] = {
        // Already on: the same entries, re-sorted; the id without a row goes last.
        {"ai", true, {"ai", "translate", "style:original", "layout", "style:gone"}},
        {"translate", false, {"ai", "style:original", "layout", "style:gone"}},
        {"clipboard", true, {"ai", "style:original", "clipboard", "layout", "style:gone"}},
        {"original", false, {"ai", "clipboard", "layout", "style:gone"}},
    };
    for (const auto& step : steps) {
        defaults.saves = 0;
        QuickMenuModel(*state).setAction(step.id, step.on);
        EXPECT_EQ(defaults.saves, 1) << step.id;
        EXPECT_EQ(state->settings().quickMenuActions, step.expected) << step.id;
    }
    EXPECT_EQ(state->settings().quickMenuOrder, QuickAction::defaultIds());
}

TEST_F(QuickMenuPage, AMoveWritesTheWholeOrderThenTheEnabledActionsInIt) {
    state->editSettings([](NiveloSettings& s) {
        s.quickMenuOrder = {"translate", "ai"};
        s.quickMenuActions = {"layout", "ai", "style:gone", "translate"};
    });
    defaults.saves = 0;
    QList<QStringList> orders;
    QObject::connect(state.get(), &NiveloAppState::settingsChanged, state.get(),
                     [&](const NiveloSettings& s) { orders << s.quickMenuOrder; });
    QuickMenuModel(*state).moveAction(1, -1);
    EXPECT_EQ(defaults.saves, 2);
    QStringList expected = QuickAction::defaultIds();
    ASSERT_EQ(orders.size(), 2);
    EXPECT_EQ(orders.first(), expected);  // the first save already holds the new order
    EXPECT_EQ(state->settings().quickMenuOrder, expected);
    EXPECT_EQ(state->settings().quickMenuActions, (QStringList{"ai", "translate", "layout"}));

    // Nothing beyond either end.
    for (const auto& [index, direction] : {std::pair{0, -1}, {19, +1}, {25, -1}, {-1, +1}}) {
        QuickMenuModel(*state).moveAction(index, direction);
    }
    EXPECT_EQ(defaults.saves, 2);
}

TEST_F(QuickMenuPage, PageControlsTextsArrowsAndTheSharedSize) {
    QuickMenuSettingsView page(*state);
    const QStringList shown = page.rowIds();
    ASSERT_EQ(shown, QuickAction::defaultIds());
    const QList<bool> arrows{rowPart<QToolButton>(page, shown[0], "up")->isEnabled(),
                             rowPart<QToolButton>(page, shown[0], "down")->isEnabled(),
                             rowPart<QToolButton>(page, shown[19], "up")->isEnabled(),
                             rowPart<QToolButton>(page, shown[19], "down")->isEnabled()};
    EXPECT_EQ(arrows, (QList<bool>{false, true, true, false}));

    // Moving "translate" up and switching "Fix" off reach the quick menu's actions.
    QCheckBox* fix = rowPart<QCheckBox>(page, "style:original", "toggle");
    EXPECT_EQ(fix->accessibleName(), "Fix");
    rowPart<QToolButton>(page, "translate", "up")->click();
    fix->click();
    EXPECT_EQ(rowPart<QCheckBox>(page, "style:original", "toggle"), fix);  // rows are kept
    EXPECT_EQ(state->quickActions().mid(0, 3),
              (QList<QuickAction>{{"translate"}, {"ai"}, {"style:friendly"}}));

    // A style added on the Styles page is the last row, on.
    state->addPromptStyle();
    EXPECT_TRUE(rowPart<QCheckBox>(page, page.rowIds().last(), "toggle")->isChecked());
    EXPECT_EQ(page.rowIds().last(), "style:custom-0000abcd");

    // One size for this page and the General page.
    namedPart<QComboBox>(page, "sizePicker")->setCurrentIndex(3);
    EXPECT_EQ(generalPageModel(state->settings()).menuSize.current, 3);
    binding(*state, &NiveloSettings::quickMenuSize).set(MenuScale::small);
    EXPECT_EQ(namedPart<QComboBox>(page, "sizePicker")->currentIndex(), 1);

    const auto texts = [&] {
        const QuickMenuPageModel m = quickMenuPageModel(*state);
        return QStringList{m.sizeLabel, m.hotkeyLabel, m.selectAllTitle, m.actionsHeading};
    };
    EXPECT_EQ(texts(), (QStringList{"Size", "Hotkey",
                                    "Select all before Fix, Translate, and styles", "Actions"}));
    setLanguage(UiLanguage::ru);
    EXPECT_EQ(texts(),
              (QStringList{"Размер", "Хоткей",
                           "Выделять всё перед исправлением, переводом и стилями", "Действия"}));
}
