// The hot-key recorder and the Shortcuts page: what a press is stored as and how a stored text
// is shown; recording takes every key and releases the global hot keys until it ends.

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWindow>

#include "capture/HotkeyService.h"
#include "capture/PanelHandles.h"
#include "settingswindow/HotkeyFormatter.h"
#include "settingswindow/HotkeyRecorderField.h"
#include "settingswindow/MainSettingsView.h"
#include "settingswindow/SettingsDetailView.h"
#include "settingswindow/ShortcutsSettingsView.h"
#include "state/StateFixture.h"
#include "support/SimulatedHotKeyRegistry.h"
#include "support/SimulatedKeyMap.h"

namespace {

constexpr auto Meta = Qt::MetaModifier, Ctrl = Qt::ControlModifier, Alt = Qt::AltModifier,
               Shift = Qt::ShiftModifier;
// Native key codes as an X server with us,ru numbers them, and the keysyms that matter here.
enum : quint32 { kA = 38, kK = 45, kQ = 24, k2 = 11, kSpace = 65, kF5 = 71, kReturn = 36 };
enum : quint32 { kTab = 23, kLeft = 113, kKeypad1 = 87, kEscape = 0xff1b, kBackSpace = 0xff08 };

// A press; native 0 is a synthetic one, of Qt's key `qtKey`.
struct Press {
    quint32 native;
    Qt::KeyboardModifiers mods;
    quint32 sym = 1;
    int qtKey = 0;
    QKeyEvent event() const { return QKeyEvent(QEvent::KeyPress, qtKey, mods, native, sym, 0); }
};

struct Keys : SimulatedKeyMap {
    Keys() {
        add(kA, {0, "a"});
        add(kK, {40, "k"});
        add(kQ, {12, QStringLiteral("й")});  // the ru layout is current
        add(k2, {19, "2"});
        add(kSpace, {49, " "});
        add(kF5, {96, ""});
        add(kReturn, {36, "\r"});
        add(kTab, {48, "\t"});
        add(kLeft, {123, ""});
        add(kKeypad1, {std::nullopt, "1"});
    }
};

struct NoPanel : QuickPanelHandle {
    void show() override {}
    void toggle() override {}
    bool isPanelVisible() const override { return false; }
};

}  // namespace

TEST(HotkeyFormatter, CapturesByPhysicalKeyAndShowsSymbols) {
    Keys keys;
    const std::pair<Press, QString> captured[] = {
        {Press(kA, Shift), "Shift+A"},
        {Press(kK, Shift | Alt | Meta), "Command+Alt+Shift+K"},
        {Press(kSpace, Ctrl), "Control+Space"},
        {Press(kF5, Meta), "Command+F5"},
        {Press(kQ, Alt), "Alt+Q"},
        {Press(kKeypad1, Meta | Qt::KeypadModifier), "Command+1"},
        {Press(kReturn, Ctrl), ""},
        {Press(kTab, Ctrl), ""},
        {Press(kLeft, Ctrl), ""},
        {Press(kA, Qt::GroupSwitchModifier), ""},
        // Without native codes (a synthetic press) Qt's key names letters and digits.
        {Press(0, Alt, 0, Qt::Key_K), "Alt+K"},
    };
    for (const auto& [press, text] : captured) {
        EXPECT_EQ(HotkeyFormatter::capture(press.event(), &keys).value_or(""), text)
            << text.toStdString();
    }
    using enum HotkeyFormatter::Command;
    const std::pair<Press, HotkeyFormatter::Command> commands[] = {
        {{kA, Ctrl | Shift, kEscape}, cancel}, {{kA, {}, kBackSpace}, clear},
        {{kA, Meta, 0xff9f}, clear},  // keypad Delete
        {{0, Alt, 0, Qt::Key_Delete}, clear},  {{kA, Alt, 'a'}, none},
    };
    for (const auto& [press, command] : commands) {
        EXPECT_EQ(HotkeyFormatter::command(press.event()), command) << press.sym;
    }

    const std::pair<QString, QString> shown[] = {
        {"", "Not assigned"},         {"not ASSIGNED", "Not assigned"},
        {"Option+Q", "⌥ Q"},          {"Cmd+Shift+Space", "⌘ ⇧ Space"},
        {"Alt+Period", "⌥ ."},        {"Command+Alt+Shift+Backslash", "⌘ ⌥ ⇧ \\"},
        {"alt+q", "alt q"},           {"Alt++Q", "⌥ Q"},
        {"Control+Backquote", "⌃ `"},
    };
    for (const auto& [stored, text] : shown) {
        EXPECT_EQ(HotkeyFormatter::display(stored), text);
    }
}

class ShortcutsPage : public StateTest {
public:
    SimulatedHotKeyRegistry registry;
    NoPanel panel;
    std::unique_ptr<HotkeyService> service;
    Keys keys;
    std::unique_ptr<MainSettingsView> view;

    void SetUp() override {
        StateTest::SetUp();
        makeState([](NiveloSettings& s) { s.quickMenuHotkey = "Command+Shift+Space"; });
        service = std::make_unique<HotkeyService>(
            HotkeyService::Dependencies{registry, captureServices.capture});
        service->start(state.get(), &panel, nullptr);
        view = std::make_unique<MainSettingsView>(
            MainSettingsView::Environment{*state, nullptr, nullptr, service.get(), nullptr, &keys});
        state->setSelectedSettingsPage(SettingsPage::shortcuts);
        view->show();
    }
    HotkeyRecorderField* recorder(int row) const {
        return static_cast<ShortcutsSettingsView*>(view->detail()->pageWidget())->recorders()[row];
    }
    void send(Press press) {
        QKeyEvent event = press.event();
        QApplication::sendEvent(view->window()->windowHandle(), &event);
        settle();
    }
};

TEST_F(ShortcutsPage, RowsInBothLanguagesFollowTheStyles) {
    ShortcutsPageModel m = shortcutsPageModel(*state);
    ASSERT_EQ(m.settingsRows.size(), 5);
    EXPECT_EQ(m.settingsRows[0],
              (ShortcutsPageModel::Row{"Quick menu", "Open quick actions", "Command+Shift+Space"}));
    EXPECT_EQ(m.styleRows.size(), state->promptStyles().size());
    EXPECT_EQ(m.styleRows[0].title, "Fix");  // the built-in "original"
    setLanguage(UiLanguage::ru);
    m = shortcutsPageModel(*state);
    QStringList titles;
    for (const auto& row : m.settingsRows) {
        titles << row.title;
    }
    EXPECT_EQ(titles, QStringList({"Быстрое меню", "AI помощник", "История буфера",
                                   "Предпросмотр перевода", "Исправить раскладку"}));
    EXPECT_EQ(m.settingsRows[0].subtitle, "Открыть быстрые действия");
    EXPECT_EQ(m.stylesHeading, "Стили");
    EXPECT_EQ(m.styleRows[0].title, "Исправить");

    PromptStyle style = state->promptStyles()[0];
    const QString before = m.styleRows[0].subtitle;
    style.autoReplace = !style.autoReplace;
    style.hotkey = "Not assigned";
    state->updatePromptStyle(style);
    m = shortcutsPageModel(*state);
    EXPECT_EQ(QStringList({before, m.styleRows[0].subtitle}),
              style.autoReplace ? QStringList({"Ручная проверка", "Автозамена"})
                                : QStringList({"Автозамена", "Ручная проверка"}));
    EXPECT_EQ(recorder(5)->labelText(), "Not assigned");
}

TEST_F(ShortcutsPage, RecordingReleasesTheHotKeysUntilItEnds) {
    ASSERT_FALSE(registry.registrations().isEmpty());
    HotkeyRecorderField* quick = recorder(0);
    EXPECT_EQ(quick->labelText(), "⌘ ⇧ Space");
    EXPECT_EQ(quick->toolTip(), "Click, then press a shortcut. Escape cancels. Delete clears.");
    quick->click();
    quick->click();
    EXPECT_EQ(quick->labelText(), "Press shortcut...");
    setLanguage(UiLanguage::en);  // a settings change reloads the hot keys, but not now
    settle();
    EXPECT_TRUE(registry.registrations().isEmpty());
    const int saves = defaults.saves;
    send(Press(kA, {}));  // no modifier: swallowed, still recording
    send(Press(kQ, Meta | Shift));
    EXPECT_FALSE(quick->isRecording());
    EXPECT_EQ(defaults.saves, saves + 1);
    EXPECT_EQ(store.load().quickMenuHotkey, "Command+Shift+Q");
    EXPECT_EQ(quick->labelText(), "⌘ ⇧ Q");
    EXPECT_TRUE(registry.press(12, HotKeyModifier::Command | HotKeyModifier::Shift));

    // A style row changes only the stored style's hot key, whatever its row last saw.
    PromptStyle fix = state->promptStyles()[0];
    fix.prompt = "edited elsewhere";
    state->updatePromptStyle(fix);
    recorder(5)->click();
    send(Press(k2, Alt));
    EXPECT_EQ(state->settings().promptStyles[0].hotkey, "Alt+2");
    EXPECT_EQ(state->settings().promptStyles[0].prompt, "edited elsewhere");
    recorder(5)->click();
    send(Press(kA, Alt, kBackSpace));
    EXPECT_EQ(state->settings().promptStyles[0].hotkey, "Not assigned");
    recorder(5)->click();
    send(Press(kA, Alt, kEscape));
    EXPECT_EQ(state->settings().promptStyles[0].hotkey, "Not assigned");
    EXPECT_FALSE(recorder(5)->isRecording());
}

TEST_F(ShortcutsPage, LeavingDeactivatingOrHidingEndsRecording) {
    const int registered = int(registry.registrations().size());
    const std::function<void()> ends[] = {
        [&] {
            QEvent deactivate(QEvent::WindowDeactivate);
            QApplication::sendEvent(view.get(), &deactivate);
        },
        [&] { view->hide(); },
        [&] { state->setSelectedSettingsPage(SettingsPage::general); },
    };
    for (const auto& end : ends) {
        view->show();
        state->setSelectedSettingsPage(SettingsPage::shortcuts);
        recorder(1)->click();
        settle();
        ASSERT_TRUE(registry.registrations().isEmpty());
        end();
        settle();
        EXPECT_EQ(registry.registrations().size(), registered);
    }
    // No filter is left behind: keys reach a text field again.
    QLineEdit field;
    QKeyEvent key(QEvent::KeyPress, Qt::Key_K, Alt, "k");
    QApplication::sendEvent(&field, &key);
    EXPECT_EQ(field.text(), "k");
}
