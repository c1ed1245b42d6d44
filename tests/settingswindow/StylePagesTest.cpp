// The Styles and AI Reply pages over the application state: which cards may be deleted, what
// "Add" and "Reset" leave behind and save, and that typing in a card edits the stored style
// one save per keystroke in the same widget without moving the caret.

#include <QCheckBox>
#include <QKeyEvent>
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
#include "support/EditorTyping.h"
#include "support/NamedPart.h"

namespace {

StyleEditorCardBase* card(const StyleListSettingsView& page, const QString& id) {
    return namedPart<StyleEditorCardBase>(page, "card:" + id);
}

void type(QWidget* field, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(field, &press);
    }
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
    newIds = {"00000001", "00000002", "00000003", "00000004"};
    // Title, hint, the two buttons, then the name of a new style.
    const struct {
        StyleListSettingsView* page;
        int recorderWidth;
        QStringList en, ru;
    } pages[] = {
        {&styles,
         120,
         {"Prompt styles", "", "Add", "Reset", "New Style"},
         {"Стили", "", "Добавить", "Сброс", "Новый стиль"}},
        {&replies,
         140,
         {"AI Reply", "Select a message and use Command + Option with a reply-style key.", "Add",
          "Reset", "New Reply Style"},
         {"AI Reply", "Выделите сообщение и нажмите Command + Option с клавишей стиля ответа.",
          "Добавить", "Сброс", "Новый стиль ответа"}},
    };
    for (const auto& p : pages) {
        const bool isPrompt = p.page == &styles;
        EXPECT_EQ(
            namedPart<HotkeyRecorderField>(*card(*p.page, "original"), "hotkey")->labelWidth(),
            p.recorderWidth);
        EXPECT_TRUE(namedPart<QToolButton>(*card(*p.page, "original"), "delete")->isHidden());
        EXPECT_TRUE(namedPart<QToolButton>(*card(*p.page, "translate"), "delete")->isHidden());
        for (const UiLanguage lang : {UiLanguage::en, UiLanguage::ru}) {
            setLanguage(lang);
            const NiveloSettings before = state->settings();
            isPrompt ? state->addPromptStyle() : state->addAIReplyStyle();
            const StyleEditorCardBase* added = card(*p.page, p.page->cardIds().last());
            const StyleListPageModel m =
                isPrompt ? stylesPageModel(*state) : aiReplyPageModel(*state);
            EXPECT_EQ((QStringList{m.title, m.hint, m.addTitle, m.resetTitle,
                                   namedPart<QLineEdit>(*added, "nameField")->text()}),
                      lang == UiLanguage::ru ? p.ru : p.en);
            EXPECT_FALSE(namedPart<QToolButton>(*added, "delete")->isHidden());
            // Only a prompt style has a quick-menu action, and only it has "Auto".
            EXPECT_EQ(state->settings().quickMenuActions != before.quickMenuActions, isPrompt);
            EXPECT_EQ(added->findChild<QCheckBox*>("auto") != nullptr, isPrompt);
        }
        EXPECT_EQ(p.page->cardIds().size(), 19);
    }
    const StyleEditorCardBase* fix = card(styles, "original");
    EXPECT_EQ((QStringList{namedPart<QLineEdit>(*fix, "nameField")->placeholderText(),
                           namedPart<QCheckBox>(*fix, "auto")->text()}),
              (QStringList{"Название", "Авто"}));
    setLanguage(UiLanguage::en);
    EXPECT_EQ((QStringList{namedPart<QLineEdit>(*fix, "nameField")->placeholderText(),
                           namedPart<QCheckBox>(*fix, "auto")->text()}),
              (QStringList{"Name", "Auto"}));

    // A deleted style's card goes with it.
    const QString gone = styles.cardIds().last();
    namedPart<QToolButton>(*card(styles, gone), "delete")->click();
    EXPECT_EQ(styles.findChild<QWidget*>("card:" + gone), nullptr);
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
    namedPart<QPushButton>(styles, "resetStyles")->click();
    EXPECT_EQ(defaults.saves, 1);
    const NiveloSettings& saved = state->settings();
    EXPECT_EQ(store.load().promptStyles, NiveloPromptLibrary::defaultStyles());
    EXPECT_EQ(saved.quickMenuOrder, QuickAction::defaultIds());
    EXPECT_EQ(saved.quickMenuActions, QuickAction::defaultIds() + QStringList{"fix"});
    EXPECT_EQ(styles.cardIds().size(), 17);
    EXPECT_EQ(namedPart<QLineEdit>(*card(styles, "original"), "nameField")->text(),
              NiveloPromptLibrary::defaultStyles().first().name);

    AIReplySettingsView replies(*state);
    state->addAIReplyStyle();
    type(namedPart<QLineEdit>(*card(replies, "friendly"), "nameField"), "x");
    defaults.saves = 0;
    namedPart<QPushButton>(replies, "resetStyles")->click();
    EXPECT_EQ(defaults.saves, 1);
    EXPECT_EQ(store.load().aiReplyStyles, AIReplyStyleLibrary::defaultStyles());
    EXPECT_EQ(replies.cardIds().size(), 17);
}

// A prompt stored with a no-break space and a paragraph separator shows them and is not set
// again on a refresh, so the selection stays; what is typed and pasted is stored as it is
// (U+2028 and no-break spaces kept, Shift+Return a "\n"), the separator coming back as "\n".
TEST_F(StylePages, APromptKeepsInvisibleCharactersAndTheSelection) {
    StylesSettingsView styles(*state);
    AIReplySettingsView replies(*state);
    for (StyleListSettingsView* page : {static_cast<StyleListSettingsView*>(&styles),
                                        static_cast<StyleListSettingsView*>(&replies)}) {
        const bool isPrompt = page == &styles;
        const auto prompt = [isPrompt](NiveloSettings& s) -> QString& {
            return isPrompt ? s.promptStyles[1].prompt : s.aiReplyStyles[1].prompt;
        };
        state->editSettings([&](NiveloSettings& s) { prompt(s) = "a\u2029b\u00a0c"; });
        VirtualClock::flushEvents();
        QTextEdit* editor = namedPart<QTextEdit>(*card(*page, "friendly"), "prompt");
        QTextCursor selection = editor->textCursor();
        selection.setPosition(2);
        selection.setPosition(4, QTextCursor::KeepAnchor);
        editor->setTextCursor(selection);
        Q_EMIT namedPart<HotkeyRecorderField>(*card(*page, "friendly"), "hotkey")
            ->hotkeyEdited("Control+K");
        VirtualClock::flushEvents();
        EXPECT_EQ(editor->textCursor().selectedText(), QStringLiteral("b\u00a0"));

        editor->moveCursor(QTextCursor::End);
        const QString typed = editortyping::typeInvisibleCharacters(editor);
        VirtualClock::flushEvents();
        NiveloSettings saved = store.load();
        EXPECT_EQ(prompt(saved), "a\nb\u00a0c" + typed);
        EXPECT_EQ(editor->textCursor().position(), editor->document()->characterCount() - 1);
    }
}

TEST_F(StylePages, EachKeystrokeIsOneSaveInTheSameCardWithTheCaretInPlace) {
    StylesSettingsView styles(*state);
    AIReplySettingsView replies(*state);
    for (StyleListSettingsView* page : {static_cast<StyleListSettingsView*>(&styles),
                                        static_cast<StyleListSettingsView*>(&replies)}) {
        StyleEditorCardBase* friendly = card(*page, "friendly");
        QLineEdit* name = namedPart<QLineEdit>(*friendly, "nameField");
        const QString typed = name->text().insert(2, "0123456789");
        name->setCursorPosition(2);
        defaults.saves = 0;
        type(name, "0123456789");
        EXPECT_EQ(defaults.saves, 10);
        EXPECT_EQ(card(*page, "friendly"), friendly);
        EXPECT_EQ(name->cursorPosition(), 12);

        // Each later edit starts from the stored style: the name stays.
        namedPart<QTextEdit>(*friendly, "prompt")->moveCursor(QTextCursor::End);
        type(namedPart<QTextEdit>(*friendly, "prompt"), "!");
        Q_EMIT namedPart<HotkeyRecorderField>(*friendly, "hotkey")->hotkeyEdited("Control+K");
        if (QCheckBox* autoToggle = friendly->findChild<QCheckBox*>("auto")) {
            autoToggle->click();
        }
        const NiveloSettings saved = store.load();
        const QStringList stored =
            page == &styles
                ? QStringList{saved.promptStyles[1].name, saved.promptStyles[1].prompt.right(1),
                              saved.promptStyles[1].hotkey}
                : QStringList{saved.aiReplyStyles[1].name, saved.aiReplyStyles[1].prompt.right(1),
                              saved.aiReplyStyles[1].hotkey};
        EXPECT_EQ(stored, (QStringList{typed, "!", "Control+K"}));
        EXPECT_EQ(name->text(), typed);
        EXPECT_EQ(namedPart<HotkeyRecorderField>(*friendly, "hotkey")->hotkey(), "Control+K");
    }
    EXPECT_NE(store.load().promptStyles[1].autoReplace,
              NiveloPromptLibrary::defaultStyles()[1].autoReplace);
}
