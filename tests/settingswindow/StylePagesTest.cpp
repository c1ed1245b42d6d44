// The Styles and AI Reply pages over the application state: which cards may be deleted, what
// "Add" and "Reset" leave behind and save, and that typing in a card edits the stored style
// one save per keystroke in the same widget without moving the caret.

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>

#include "core/AIReplyStyleLibrary.h"
#include "core/NiveloPromptLibrary.h"
#include "settingswindow/AIReplySettingsView.h"
#include "settingswindow/HotkeyRecorderField.h"
#include "settingswindow/StylesSettingsView.h"
#include "state/StateFixture.h"

namespace {

void type(QWidget* field, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(field, &press);
    }
}

QStringList labels(const StyleListPageModel& m) {
    return {m.title, m.hint, m.addTitle, m.resetTitle};
}

}  // namespace

class StylePages : public StateTest {
public:
    void SetUp() override {
        StateTest::SetUp();
        makeState();
    }
};

TEST_F(StylePages, BothPagesTextsCardsAndWhatAddLeaves) {
    StylesSettingsView styles(*state);
    AIReplySettingsView replies(*state);
    EXPECT_EQ(defaults.saves, 0);
    const struct {
        StyleListSettingsView* page;
        std::function<void()> add;
        QString added;
        QStringList en, ru;
        QString newName, newNameRu;
        int recorderWidth;
    } pages[] = {
        {&styles, [&] { state->addPromptStyle(); }, "custom-0000abcd",
         {"Prompt styles", "", "Add", "Reset"}, {"Стили", "", "Добавить", "Сброс"}, "New Style",
         "Новый стиль", 120},
        {&replies, [&] { state->addAIReplyStyle(); }, "custom-reply-0000abcd",
         {"AI Reply", "Select a message and use Command + Option with a reply-style key.", "Add",
          "Reset"},
         {"AI Reply", "Выделите сообщение и нажмите Command + Option с клавишей стиля ответа.",
          "Добавить", "Сброс"},
         "New Reply Style", "Новый стиль ответа", 140},
    };
    for (const auto& p : pages) {
        ASSERT_EQ(p.page->cardIds().size(), 17);
        for (const char* builtIn : {"original", "translate"}) {
            EXPECT_TRUE(p.page->card(builtIn)->deleteButton()->isHidden()) << builtIn;
        }
        EXPECT_EQ(p.page->card("original")->recorder()->labelWidth(), p.recorderWidth);
        const QStringList quickLists = state->settings().quickMenuOrder +
                                       state->settings().quickMenuActions;
        p.add();
        const StyleEditorCardBase* added = p.page->card(p.added);
        ASSERT_NE(added, nullptr) << p.added.toStdString();
        EXPECT_EQ(p.page->cardIds().last(), p.added);
        EXPECT_FALSE(added->deleteButton()->isHidden());
        EXPECT_EQ(added->nameField()->text(), p.newName);
        EXPECT_EQ(added->nameField()->placeholderText(), "Name");
        // Only a prompt style has a quick-menu action, and only it has "Auto".
        const bool isPrompt = p.page == &styles;
        EXPECT_EQ(state->settings().quickMenuOrder + state->settings().quickMenuActions !=
                      quickLists,
                  isPrompt);
        EXPECT_EQ(added->autoToggle() != nullptr, isPrompt);
        EXPECT_EQ(labels(isPrompt ? stylesPageModel(*state) : aiReplyPageModel(*state)), p.en);
    }
    EXPECT_EQ(styles.card("original")->autoToggle()->text(), "Auto");

    setLanguage(UiLanguage::ru);
    EXPECT_EQ(labels(stylesPageModel(*state)), pages[0].ru);
    EXPECT_EQ(labels(aiReplyPageModel(*state)), pages[1].ru);
    EXPECT_EQ(styles.card("original")->autoToggle()->text(), "Авто");
    EXPECT_EQ(styles.card("original")->nameField()->placeholderText(), "Название");
    EXPECT_EQ(replies.hintLabel()->text(), pages[1].ru[1]);
    newIds = {"11111111", "22222222"};
    state->addPromptStyle();
    state->addAIReplyStyle();
    EXPECT_EQ(styles.card("custom-11111111")->nameField()->text(), pages[0].newNameRu);
    EXPECT_EQ(replies.card("custom-reply-22222222")->nameField()->text(), pages[1].newNameRu);

    // A deleted style's card goes with it.
    styles.card("custom-11111111")->deleteButton()->click();
    EXPECT_EQ(styles.card("custom-11111111"), nullptr);
    EXPECT_EQ(styles.cardIds().size(), 18);
}

TEST_F(StylePages, ResetGivesTheBuiltInsAndDropsTheGoneStylesActionsInOneSave) {
    StylesSettingsView styles(*state);
    PromptStyle renamed = state->promptStyles().first();
    renamed.name = "Mine";
    renamed.autoReplace = !renamed.autoReplace;
    state->updatePromptStyle(renamed);
    newIds = {"aaaaaaaa", "bbbbbbbb"};
    state->addPromptStyle();
    state->addPromptStyle();
    // Another spelling of the same action, and a leftover of a style dropped long ago.
    state->editSettings([](NiveloSettings& s) {
        s.quickMenuOrder.append(" style:custom-aaaaaaaa ");
        s.quickMenuActions += {"style:custom-gone", "fix"};
    });
    defaults.saves = 0;
    styles.resetButton()->click();
    EXPECT_EQ(defaults.saves, 1);
    const NiveloSettings& saved = state->settings();
    EXPECT_EQ(store.load().promptStyles, NiveloPromptLibrary::defaultStyles());
    EXPECT_EQ(saved.quickMenuOrder, QuickAction::defaultIds());
    EXPECT_EQ(saved.quickMenuActions, QuickAction::defaultIds() + QStringList{"fix"});
    EXPECT_EQ(styles.cardIds().size(), 17);
    EXPECT_EQ(styles.card("original")->nameField()->text(),
              NiveloPromptLibrary::defaultStyles().first().name);

    AIReplySettingsView replies(*state);
    state->addAIReplyStyle();
    type(replies.card("friendly")->nameField(), "x");
    defaults.saves = 0;
    replies.resetButton()->click();
    EXPECT_EQ(defaults.saves, 1);
    EXPECT_EQ(store.load().aiReplyStyles, AIReplyStyleLibrary::defaultStyles());
    EXPECT_EQ(replies.cardIds().size(), 17);
}

TEST_F(StylePages, EachKeystrokeIsOneSaveInTheSameCardWithTheCaretInPlace) {
    StylesSettingsView styles(*state);
    AIReplySettingsView replies(*state);
    for (StyleListSettingsView* page : {static_cast<StyleListSettingsView*>(&styles),
                                        static_cast<StyleListSettingsView*>(&replies)}) {
        StyleEditorCardBase* card = page->card("friendly");
        QLineEdit* name = card->nameField();
        const QString typed = name->text().insert(2, "0123456789");
        name->setCursorPosition(2);
        defaults.saves = 0;
        type(name, "0123456789");
        EXPECT_EQ(defaults.saves, 10);
        EXPECT_EQ(page->card("friendly"), card);
        EXPECT_EQ(name->cursorPosition(), 12);

        // Each later edit starts from the stored style: the name stays.
        card->promptEditor()->moveCursor(QTextCursor::End);
        type(card->promptEditor(), "!");
        Q_EMIT card->recorder()->hotkeyEdited("Control+K");
        if (QCheckBox* autoToggle = card->autoToggle()) {
            autoToggle->click();
        }
        const NiveloSettings saved = store.load();
        const QStringList stored = page == &styles
                                       ? QStringList{saved.promptStyles[1].name,
                                                     saved.promptStyles[1].prompt.right(1),
                                                     saved.promptStyles[1].hotkey}
                                       : QStringList{saved.aiReplyStyles[1].name,
                                                     saved.aiReplyStyles[1].prompt.right(1),
                                                     saved.aiReplyStyles[1].hotkey};
        EXPECT_EQ(stored, (QStringList{typed, "!", "Control+K"}));
        EXPECT_EQ(name->text(), typed);
        EXPECT_EQ(card->recorder()->hotkey(), "Control+K");
    }
    EXPECT_NE(store.load().promptStyles[1].autoReplace,
              NiveloPromptLibrary::defaultStyles()[1].autoReplace);
}
