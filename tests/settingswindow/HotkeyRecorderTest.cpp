// The hot-key recorder and the Shortcuts page: what a press does and how a stored text is
// shown; recording takes every key and releases the global hot keys until it ends.

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWindow>

#include "capture/HotkeyService.h"
#include "settingswindow/HotkeyFormatter.h"
#include "settingswindow/HotkeyRecorderField.h"
#include "settingswindow/MainSettingsView.h"
#include "settingswindow/ShortcutsSettingsView.h"
#include "state/StateFixture.h"
#include "support/EnglishNames.h"
#include "support/NamedPart.h"
#include "support/SimulatedHotKeyRegistry.h"
#include "support/SimulatedKeyMap.h"

namespace {

constexpr auto Meta = Qt::MetaModifier, Alt = Qt::AltModifier, Shift = Qt::ShiftModifier;
// X key codes of A, 2 and Q (which types й: the ru layout is current), and some keysyms.
enum : quint32 { kA = 38, k2 = 11, kQ = 24, kEscape = 0xff1b, kBackSpace = 0xff08 };

// A press; native 0 is a synthetic one, of Qt's key `qtKey`.
struct Press {
    quint32 native;
    Qt::KeyboardModifiers mods;
    quint32 sym = 1;
    int qtKey = 0;
    QKeyEvent event() const { return QKeyEvent(QEvent::KeyPress, qtKey, mods, native, sym, 0); }
};

}  // namespace

TEST(HotkeyFormatter, ShownForms) {
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
    std::unique_ptr<HotkeyService> service;
    SimulatedKeyMap keys;
    std::unique_ptr<MainSettingsView> view;

    void SetUp() override {
        StateTest::SetUp();
        makeState([](NiveloSettings& s) { s.quickMenuHotkey = "Command+Shift+Space"; });
        keys.keys = {{kA, {0, "a"}}, {k2, {19, "2"}}, {kQ, {12, "й"}}};
        service = std::make_unique<HotkeyService>(
            HotkeyService::Dependencies{registry, captureServices.capture});
        service->start(state.get(), nullptr, nullptr);
        view = std::make_unique<MainSettingsView>(MainSettingsView::Environment{
            .appState = *state, .hotkeys = service.get(), .keyMap = &keys});
        state->setSelectedSettingsPage(SettingsPage::shortcuts);
        view->show();
    }
    // The settings rows first, then the style rows.
    HotkeyRecorderField* recorder(int row) const {
        return namedPart<QWidget>(*view, "page")->findChildren<HotkeyRecorderField*>().at(row);
    }
    void send(Press press) {
        QKeyEvent event = press.event();
        QApplication::sendEvent(view->windowHandle(), &event);
        settle();
    }
    // Whether a press is claimed before any shortcut of the window is tried.
    bool overridesShortcuts() {
        QKeyEvent event(QEvent::ShortcutOverride, Qt::Key_Space, Meta | Shift);
        event.ignore();
        QApplication::sendEvent(recorder(0), &event);
        return event.isAccepted();
    }
};

TEST_F(ShortcutsPage, RowsInBothLanguagesFollowTheStyles) {
    const auto texts = [&] {
        const ShortcutsPageModel m = shortcutsPageModel(*state);
        QStringList out{m.stylesHeading, m.styleRows[0].title, m.styleRows[0].subtitle,
                        m.settingsRows[0].subtitle, recorder(5)->labelText()};
        for (const auto& row : m.settingsRows) {
            out << row.title;
        }
        return out;
    };
    PromptStyle fix = state->promptStyles()[0];  // the built-in "original"
    fix.hotkey = "Not assigned";
    fix.autoReplace = false;
    state->updatePromptStyle(fix);
    EXPECT_EQ(texts(), QStringList({"Styles", "Fix", "Manual review", "Open quick actions",
                                    "Not assigned", "Quick menu", "AI assistant",
                                    "Clipboard history", "Translate preview", "Fix layout"}));
    fix.autoReplace = true;
    state->updatePromptStyle(fix);
    setLanguage(UiLanguage::ru);
    EXPECT_EQ(texts(), QStringList({"Стили", "Исправить", "Автозамена", "Открыть быстрые действия",
                                    "Not assigned", "Быстрое меню", "AI помощник", "История буфера",
                                    "Предпросмотр перевода", "Исправить раскладку"}));
}

TEST_F(ShortcutsPage, RecordingReleasesTheHotKeysUntilItEnds) {
    ASSERT_FALSE(registry.registrations().isEmpty());
    HotkeyRecorderField* quick = recorder(0);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(quick);
    EXPECT_EQ(accessible->role(), QAccessible::Button);
    EXPECT_EQ(accessible->text(QAccessible::Name), "Quick menu: ⌘ ⇧ Space");
    EXPECT_EQ(quick->toolTip(), "Click, then press a shortcut. Escape cancels. Delete clears.");
    quick->click();
    quick->click();
    EXPECT_EQ(quick->labelText(), "Press shortcut...");
    setLanguage(UiLanguage::en);  // a settings change reloads the hot keys, but not now
    settle();
    EXPECT_TRUE(registry.registrations().isEmpty());
    const int saves = defaults.saves;
    send(Press(kA, {}));  // no modifier: swallowed, still recording
    QApplication::setActiveWindow(view.get());
    recorder(1)->setFocus();  // the capture takes the focus back from any other widget
    settle();
    EXPECT_EQ(view->focusWidget()->parentWidget(), quick);
    EXPECT_TRUE(overridesShortcuts());
    send(Press(kQ, Meta | Shift));
    EXPECT_FALSE(quick->isRecording() || overridesShortcuts());
    EXPECT_EQ(defaults.saves, saves + 1);
    EXPECT_EQ(store.load().quickMenuHotkey, "Command+Shift+Q");
    EXPECT_EQ(quick->labelText(), "⌘ ⇧ Q");
    EXPECT_TRUE(registry.press(12, HotKeyModifier::Command | HotKeyModifier::Shift));

    // A style row changes only the stored style's hot key, whatever its row last saw.
    PromptStyle fix = state->promptStyles()[0];
    fix.prompt = "edited elsewhere";
    state->updatePromptStyle(fix);
    // Escape cancels and Backspace or Delete clear whatever the modifiers; a press without its
    // native codes (a synthetic one) is named by Qt's key.
    const std::pair<Press, QString> presses[] = {
        {{k2, Alt | Shift}, "Alt+Shift+2"},
        {{kA, Alt, kBackSpace}, "Not assigned"},
        {{0, Alt, 0, Qt::Key_K}, "Alt+K"},
        {{kA, Meta, 0xff9f}, "Not assigned"},  // keypad Delete
        {{0, Alt, 0, Qt::Key_W}, "Alt+W"},
        {{kA, Meta | Shift, kEscape}, ""},
        {{0, Alt, 0, Qt::Key_Delete}, "Not assigned"},
    };
    for (const auto& [press, stored] : presses) {
        recorder(5)->click();
        send(press);
        fix.hotkey = stored.isEmpty() ? fix.hotkey : stored;
        EXPECT_EQ(state->settings().promptStyles[0], fix);
        EXPECT_FALSE(recorder(5)->isRecording());
    }
}

// Keys another command holds are refused: the old key stays, nothing is saved, and the field
// names the holder as the settings name it, in the interface language; one note shows at a time.
// A command's own keys and free keys are taken.
TEST_F(ShortcutsPage, KeysAnotherCommandHoldsAreRefusedNamingTheHolder) {
    const struct {
        int row;
        Press press;
        QString english;  // the holder; empty: taken
        QString russian;
    } cases[] = {
        {0, {0, Alt, 0, Qt::Key_V}, "Clipboard history", "История буфера"},
        {2, {0, Alt, 0, Qt::Key_I}, "AI assistant", "AI помощник"},
        {5, {k2, Alt}, "Friendly", "Дружелюбно"},
        {0, {0, Alt, 0, Qt::Key_T}, "Translate", "Перевод"},
        {4, {0, Meta | Alt, 0, Qt::Key_1}, "Обычный", "Обычный"},
        {1, {0, Alt, 0, Qt::Key_I}, "", ""},
        {3, {0, Alt, 0, Qt::Key_K}, "", ""},
    };
    QStringList failed;
    for (const UiLanguage lang : {UiLanguage::en, UiLanguage::ru}) {
        setLanguage(lang);
        if (lang == UiLanguage::ru) {
            // A refusal shown follows the interface language.
            EXPECT_EQ(recorder(4)->refusal(), "Уже используется: Обычный.");
        }
        for (const auto& c : cases) {
            HotkeyRecorderField* field = recorder(c.row);
            const QString before = field->hotkey();
            const int saves = defaults.saves;
            field->click();
            send(c.press);
            const QString expected = c.english.isEmpty() ? QString()
                                     : lang == UiLanguage::en
                                         ? "Already used by " + c.english + "."
                                         : "Уже используется: " + c.russian + ".";
            const bool kept = field->hotkey() == before && defaults.saves == saves;
            // A newer refusal replaces the note of an older one in another field.
            int notes = 0;
            for (const HotkeyRecorderField* any :
                 namedPart<QWidget>(*view, "page")->findChildren<HotkeyRecorderField*>()) {
                notes += any->refusal().isEmpty() ? 0 : 1;
            }
            if (field->refusal() != expected || (!expected.isEmpty() && !kept) ||
                field->isRecording() || notes > 1) {
                failed << QString("row %1: \"%2\", %3 -> %4, %5 notes")
                              .arg(c.row)
                              .arg(field->refusal(), before, field->hotkey())
                              .arg(notes);
            }
        }
    }
    EXPECT_TRUE(failed.isEmpty()) << failed.join('\n').toStdString();
}

TEST_F(ShortcutsPage, LeavingDeactivatingOrHidingEndsRecording) {
    const int registered = int(registry.registrations().size());
    QEvent deactivate(QEvent::WindowDeactivate);
    const std::function<void()> ends[] = {
        [&] { QApplication::sendEvent(view.get(), &deactivate); },
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

// Switched to Russian while open, the window names its own parts in Russian on every page; the
// recorder's texts exist in English only.
TEST_F(ShortcutsPage, RussianNamesTheWindowsOwnParts) {
    setLanguage(UiLanguage::ru);
    QStringList found;
    for (const SettingsPage page : allCases<SettingsPage>()) {
        state->setSelectedSettingsPage(page);
        settle();
        found << englishNames(
            view.get(),
            {"Not assigned", "Click, then press a shortcut. Escape cancels. Delete clears."});
    }
    // What the user named (styles) and the system's layout names stay as they are.
    QStringList data{"ABC"};
    for (const PromptStyle& style : state->settings().promptStyles) {
        data << style.name;
    }
    for (const AIReplyStyle& style : state->settings().aiReplyStyles) {
        data << style.name;
    }
    found.removeIf([&](const QString& part) {
        return std::any_of(data.begin(), data.end(),
                           [&](const QString& name) { return part.contains(": " + name); });
    });
    found.removeDuplicates();
    EXPECT_TRUE(found.isEmpty()) << found.join('\n').toStdString();
}
