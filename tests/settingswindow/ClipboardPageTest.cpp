// The Clipboard page over the application state and the real history service: its texts, a
// limit stepper that never writes by showing, clearing, deleting and pasting entries, and a
// list that follows the history.

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include "capture/PasteboardServiceError.h"
#include "settingswindow/ClipboardSettingsView.h"
#include "settingswindow/SettingsStepper.h"
#include "state/StateFixture.h"
#include "support/NamedPart.h"

namespace {

ClipboardHistoryItem item(const QString& id, const QString& text) {
    return {id, text, QDateTime::currentDateTimeUtc(), text.size()};
}

}  // namespace

TEST(ClipboardPageTexts, BothLanguagesAndTheStoredRetention) {
    const struct {
        UiLanguage lang;
        QString days;
        QStringList texts;
    } cases[] = {
        {UiLanguage::en,
         "forever",
         {"Keep local clipboard history", "History limit: 100", "Keep for days", "forever",
          "Clear history", "Recent clipboard", "Clipboard history is empty."}},
        {UiLanguage::ru,
         "forever",
         {"Хранить локальную историю буфера", "Лимит истории: 100", "Хранить дней", "всегда",
          "Очистить историю", "Недавний буфер", "История буфера пуста."}},
        {UiLanguage::ru,
         "30",
         {"Хранить локальную историю буфера", "Лимит истории: 100", "Хранить дней", "30",
          "Очистить историю", "Недавний буфер", "История буфера пуста."}},
    };
    for (const auto& c : cases) {
        NiveloSettings s;
        s.uiLanguage = c.lang;
        s.clipboardDays = c.days;
        const ClipboardPageModel m = clipboardPageModel(s, {});
        EXPECT_EQ((QStringList{m.historyToggle, m.limitText, m.daysTitle, m.days, m.clearTitle,
                               m.recentHeading, m.emptyText}),
                  c.texts);
        EXPECT_TRUE(clipboardPageModel(s, {item("a", "x")}).emptyText.isEmpty());
    }
}

class ClipboardPage : public StateTest {
protected:
    ClipboardHistoryService& history = captureServices.history;
    std::unique_ptr<ClipboardSettingsView> page;

    void open(int limit = 100) {
        page.reset();
        makeState([&](NiveloSettings& s) { s.clipboardLimit = limit; });
        history.setItems({item("b", "second copy"), item("a", "first copy")});
        page = std::make_unique<ClipboardSettingsView>(*state);
        defaults.saves = 0;
    }
    // A button of an entry's row: "paste" or "delete".
    QToolButton* entryButton(const QString& id, const char* name) const {
        QWidget* row = namedPart<QWidget>(*page, "entry:" + id);
        return row ? namedPart<QToolButton>(*row, name) : nullptr;
    }
};

// A stored limit outside 10...500 is shown as stored; the first step brings it inside.
TEST_F(ClipboardPage, TheStepperShowsTheStoredLimitAndOnlyAStepWrites) {
    const struct {
        int stored;
        bool up;
        int saved;  // 0: the button is off
    } cases[] = {{5, true, 10},  {5, false, 0},    {600, false, 500}, {600, true, 0},
                 {500, true, 0}, {100, true, 101}, {10, false, 0}};
    for (const auto& c : cases) {
        open(c.stored);
        SettingsStepper* stepper = namedPart<SettingsStepper>(*page, "limitStepper");
        EXPECT_EQ(stepper->text(), QStringLiteral("History limit: %1").arg(c.stored));
        QToolButton* button = namedPart<QToolButton>(*stepper, c.up ? "increase" : "decrease");
        EXPECT_EQ(button->isEnabled(), c.saved != 0) << c.stored << c.up;
        button->click();
        EXPECT_EQ(defaults.saves, c.saved ? 1 : 0) << c.stored << c.up;
        EXPECT_EQ(store.load().clipboardLimit, c.saved ? c.saved : c.stored);
        if (c.saved) {
            EXPECT_EQ(stepper->text(), QStringLiteral("History limit: %1").arg(c.saved));
        }
    }
}

TEST_F(ClipboardPage, ClearEmptiesTheListAtOnceWithAStatusAndTheTrashSavesWithout) {
    open();
    EXPECT_EQ(page->rowTexts(), (QStringList{"second copy", "first copy"}));
    EXPECT_TRUE(namedPart<QLabel>(*page, "emptyLabel")->isHidden());

    entryButton("b", "delete")->click();
    EXPECT_EQ(page->rowTexts(), QStringList{"first copy"});
    EXPECT_EQ(history.load(), history.items());
    EXPECT_TRUE(statuses().isEmpty());

    // A copy made while the page is open shows at once.
    history.record(QStringLiteral("fresh copy"));
    EXPECT_EQ(page->rowTexts(), (QStringList{"fresh copy", "first copy"}));

    setLanguage(UiLanguage::ru);
    namedPart<QPushButton>(*page, "clearHistory")->click();
    EXPECT_EQ(page->rowTexts(), QStringList());
    EXPECT_EQ(page->findChild<QWidget*>("entry:a"), nullptr);
    EXPECT_FALSE(namedPart<QLabel>(*page, "emptyLabel")->isHidden());
    EXPECT_EQ(namedPart<QLabel>(*page, "emptyLabel")->text(), "История буфера пуста.");
    EXPECT_TRUE(history.load().isEmpty());
    ASSERT_FALSE(statuses().isEmpty());
    EXPECT_EQ(statuses().last(), ActionStatus::done("История буфера очищена"));
}

// Into the remembered application; once it is gone the paste fails with the error's own words.
TEST_F(ClipboardPage, APasteReportsItsOutcomeAndKeepsTheEntry) {
    open();
    captureServices.focus.rememberFrontmostApplication();
    history.finishTransientPasteboardUse();  // the user's own content was seen long ago
    const auto pasteFirstCopy = [&] {
        entryButton("a", "paste")->click();
        settle();
        EXPECT_EQ(page->rowTexts(), (QStringList{"second copy", "first copy"}));
        EXPECT_TRUE(statuses().last().isIdle());
        return statuses().at(statuses().size() - 2);
    };
    EXPECT_EQ(pasteFirstCopy(), ActionStatus::done("Pasted"));
    EXPECT_EQ(editor.text, "first copy");
    desktop.quit(editor.pid);
    EXPECT_EQ(pasteFirstCopy(), ActionStatus::failed(PasteboardServiceError::describe(
                                    PasteboardServiceErrorKind::pasteTargetUnavailable)));
}
