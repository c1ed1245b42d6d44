#include <gtest/gtest.h>

#include <QAccessible>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include "base/Text.h"
#include "clipboardwindow/ClipboardEntryList.h"
#include "clipboardwindow/ClipboardEntryRow.h"
#include "clipboardwindow/ClipboardNoteEditor.h"
#include "clipboardwindow/ClipboardSidePreview.h"
#include "clipboardwindow/ClipboardWindowFixture.h"
#include "support/EditorTyping.h"
#include "support/EnglishNames.h"
#include "support/NamedPart.h"
#include "support/VirtualAnimationTime.h"
#include "theme/NiveloTheme.h"
#include "theme/SampleLetter.h"

// Rows and previews as drawn offscreen, and the window's controls as a user (or assistive
// tool) meets them.
namespace {

class RowsTest : public ClipboardWindowTest {
protected:
    ClipboardHistoryPanel* open(QSize size = {700, 600}) {
        windowDefaults.setDouble(ClipboardPanelController::kWidthKey, size.width());
        windowDefaults.setDouble(ClipboardPanelController::kHeightKey, size.height());
        controller.attach(&state);
        controller.show();
        settle();
        return controller.view();
    }
};

TEST(ClipboardRows, CaptionsCountUserPerceivedCharactersWithoutGrouping) {
    const QString combining = QStringLiteral("e\u0301");            // é as e + mark
    const QString family = QStringLiteral("\U0001F44D\U0001F3FD");  // thumbs up, skin tone
    const std::tuple<QString, int> notes[] = {{QString(1234, 'x'), 1234},
                                              {combining + combining + family, 3}};
    for (const auto& [text, count] : notes) {
        const ClipboardNoteItem note{"n", text, {}, {}};
        EXPECT_EQ(noteRowView(note, UiLanguage::en).caption, QString::number(count) + " chars");
        EXPECT_EQ(noteRowView(note, UiLanguage::ru).caption, QString::number(count) + " симв.");
        EXPECT_EQ(notePreviewView(note, UiLanguage::en).count, QString::number(count) + " chars");
    }
    const ClipboardHistoryItem item{"h", "stored count wins", {}, 12345};
    EXPECT_EQ(historyRowView(item, UiLanguage::en).caption, "12345 chars");
    EXPECT_EQ(historyPreviewView(item, UiLanguage::ru).count, "12345 симв.");
    // A row lays out no more than the start of a long entry.
    EXPECT_EQ(historyRowView({"h", QString(5000, 'y'), {}, 5000}, UiLanguage::en).text.size(),
              2000);
}

TEST(ClipboardRows, ARowShowsFourLinesAtMost) {
    const QFont font = NiveloTheme::font(NiveloTheme::FontRole::body);
    const QStringList lines = ClipboardEntryRow::textLines("1\n2\n3\n4\n5\n6", font, 300);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines.first(), "1");
    EXPECT_TRUE(lines.last().startsWith("4"));
    EXPECT_EQ(ClipboardEntryRow::textLines("one line", font, 300), QStringList{"one line"});
    const ClipboardRowView shortRow = historyRowView({"a", "x", {}, 1}, UiLanguage::en);
    const ClipboardRowView longRow =
        historyRowView({"b", QString(3000, 'w'), {}, 3000}, UiLanguage::en);
    EXPECT_GT(ClipboardEntryRow::heightFor(longRow, 13, 300),
              ClipboardEntryRow::heightFor(shortRow, 13, 300));
    EXPECT_EQ(ClipboardEntryRow::heightFor(longRow, 13, 300),
              ClipboardEntryRow::heightFor(
                  historyRowView({"c", QString(9000, 'w'), {}, 9000}, UiLanguage::en), 13, 300));
}

TEST(ClipboardRows, PreviewsWithoutAnEntryShowTheirPlaceholderAndDisableEveryButton) {
    for (const UiLanguage lang : {UiLanguage::en, UiLanguage::ru}) {
        const std::tuple<ClipboardPreviewView, QString, QString, int> cases[] = {
            {historyPreviewView(std::nullopt, lang), tr2(lang, "Preview", "Просмотр"),
             tr2(lang, "Select a clipboard item.", "Выберите элемент буфера."), 3},
            {notePreviewView(std::nullopt, lang), tr2(lang, "Note", "Заметка"),
             tr2(lang, "Select a note.", "Выберите заметку."), 4}};
        for (const auto& [view, title, placeholder, buttons] : cases) {
            ClipboardSidePreview preview;
            preview.setView(view, 13);
            EXPECT_EQ(namedPart<QLabel>(&preview, "previewTitle")->text(), title);
            EXPECT_TRUE(namedPart<QLabel>(&preview, "previewCount")->isHidden());
            EXPECT_EQ(namedPart<QPlainTextEdit>(&preview, "previewText")->toPlainText(),
                      placeholder);
            const QList<QPushButton*> bar = preview.findChildren<QPushButton*>("previewButton");
            ASSERT_EQ(bar.size(), buttons);
            for (QPushButton* button : bar) {
                EXPECT_FALSE(button->isEnabled());
                EXPECT_FALSE(button->accessibleName().isEmpty());
            }
        }
    }
    EXPECT_EQ(notePreviewView(std::nullopt, UiLanguage::ru).buttons[2].label, "Править");
    EXPECT_EQ(noteRowView({"n", "t", {}, {}}, UiLanguage::ru).buttons[2].help, "Редактировать");
}

TEST_F(RowsTest, HoverSelectsADoubleClickPastesAndTheWideWindowHighlights) {
    setHistory({"first entry", "second entry"});
    SimulatedApp& editor = desktop.launch("org.xfce.mousepad");
    desktop.bringToFront(editor.pid);
    ClipboardHistoryPanel* panel = open();
    ASSERT_TRUE(panel->view().sidePreviewShown);
    ClipboardEntryRow* second = part<ClipboardEntryList>(panel, "entryList")->visibleRow("h2");
    ASSERT_NE(second, nullptr);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(second, &enter);
    EXPECT_EQ(controller.model()->selectedItemID(), "h2");
    EXPECT_TRUE(second->isSelected());
    EXPECT_EQ(part<QPlainTextEdit>(panel, "previewText")->toPlainText(), "second entry");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(second)->state().selected, 1);

    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5),
                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(part<ClipboardEntryList>(panel, "entryList")->visibleRow("h1"),
                                &doubleClick);
    EXPECT_FALSE(controller.isPanelVisible());
    desktop.clock.advance(3000);
    EXPECT_EQ(editor.pastedTexts, QStringList{"first entry"});

    // Narrow: the selection still moves, but no row shows it.
    controller.show();
    controller.panel()->resize(400, 600);
    settle();
    EXPECT_FALSE(panel->view().sidePreviewShown);
    QCoreApplication::sendEvent(part<ClipboardEntryList>(panel, "entryList")->visibleRow("h2"),
                                &enter);
    EXPECT_EQ(controller.model()->selectedItemID(), "h2");
    for (ClipboardEntryRow* row : part<ClipboardEntryList>(panel, "entryList")->visibleRows()) {
        EXPECT_FALSE(row->isSelected());
    }
}

TEST_F(RowsTest, RowsAreNamedListItemsAndASingleClickShowsTheSelection) {
    setHistory({"first entry", "second entry"});
    ClipboardHistoryPanel* panel = open();
    ASSERT_TRUE(panel->view().sidePreviewShown);
    ClipboardEntryRow* first = part<ClipboardEntryList>(panel, "entryList")->visibleRow("h1");
    ClipboardEntryRow* second = part<ClipboardEntryList>(panel, "entryList")->visibleRow("h2");
    ASSERT_TRUE(first && second);
    QAccessibleInterface* item = QAccessible::queryAccessibleInterface(second);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->role(), QAccessible::ListItem);
    EXPECT_EQ(item->text(QAccessible::Name), "second entry");
    EXPECT_EQ(item->state().checkable, 0);
    EXPECT_EQ(item->state().selectable, 1);
    const QColor unselected = second->grab().toImage().pixelColor(second->width() / 2, 3);

    // A press and release where the pointer already was: no hover in between.
    const QPointF at(second->width() / 2.0, 4);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, second->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(second, &event);
    }
    settle();
    EXPECT_EQ(controller.model()->selectedItemID(), "h2");
    second = part<ClipboardEntryList>(panel, "entryList")->visibleRow("h2");
    EXPECT_TRUE(second->isSelected());
    EXPECT_FALSE(part<ClipboardEntryList>(panel, "entryList")->visibleRow("h1")->isSelected());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(second)->state().selected, 1);
    const QColor selected = second->grab().toImage().pixelColor(second->width() / 2, 3);
    EXPECT_NE(selected, unselected);
    EXPECT_GT(selected.saturation(), unselected.saturation());
}

TEST_F(RowsTest, CopyingANoteFillsThePasteboardAndLeavesTheHistoryAlone) {
    setHistory({"older copy"});
    ClipboardHistoryPanel* panel = open();
    controller.model()->selectTab(addTab("Work", {"note text"}));
    settle();
    ClipboardEntryRow* row = part<ClipboardEntryList>(panel, "entryList")->visibleRows().value(0);
    ASSERT_NE(row, nullptr);
    row->findChildren<QToolButton*>("rowButton").at(1)->click();
    EXPECT_EQ(desktop.pasteboard.plainText(), "note text");
    capture.history.poll();
    desktop.clock.advance(2000);
    capture.history.poll();
    EXPECT_EQ(historyTexts(), QStringList{"older copy"});
    EXPECT_TRUE(controller.isPanelVisible());
}

TEST_F(RowsTest, InTheNoteEditorReturnBreaksTheLineControlReturnSavesEscapeCancels) {
    ClipboardHistoryPanel* panel = open();
    const QString work = addTab("Work", {});
    controller.model()->selectTab(work);
    const auto press = [&](int key, Qt::KeyboardModifiers modifiers, const QString& text = {}) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
        QCoreApplication::sendEvent(part<ClipboardNoteEditor>(panel, "noteEditor")->textArea(),
                                    &event);
    };
    for (const bool save : {true, false}) {
        part<QPushButton>(panel, "addNote")->click();
        settle();
        press(Qt::Key_A, Qt::NoModifier, "a");
        press(Qt::Key_Return, Qt::NoModifier, "\r");
        press(Qt::Key_B, Qt::NoModifier, "b");
        EXPECT_EQ(controller.model()->noteDraft(), "a\nb");
        EXPECT_TRUE(part<ClipboardNoteEditor>(panel, "noteEditor")->isVisibleTo(panel));
        press(save ? Qt::Key_Return : Qt::Key_Escape, save ? Qt::ControlModifier : Qt::NoModifier);
        EXPECT_FALSE(controller.model()->isEditingNote());
    }
    EXPECT_EQ(noteTexts(work), QStringList{"a\nb"});
}

// A note holding a no-break space and a paragraph separator opens in the editor and is not
// set again on a refresh, so the caret stays; what is typed and pasted is saved as it is
// (U+2028 and no-break spaces kept, Shift+Return a "\n"), the separator coming back as "\n".
// The side preview keeps the user's selection through a refresh in the same way.
TEST_F(RowsTest, NotesAndThePreviewKeepInvisibleCharactersTheCaretAndTheSelection) {
    const QString entry = QStringLiteral("10\u00a0000 руб.\u2028итого");
    setHistory({entry});
    ClipboardHistoryPanel* panel = open();
    ASSERT_TRUE(panel->view().sidePreviewShown);
    QPlainTextEdit* preview = part<QPlainTextEdit>(panel, "previewText");
    EXPECT_EQ(text::documentText(*preview->document()), entry);
    QTextCursor selection = preview->textCursor();
    selection.setPosition(1);
    selection.setPosition(6, QTextCursor::KeepAnchor);
    preview->setTextCursor(selection);
    controller.model()->setContentFontSize(16);
    settle();
    EXPECT_EQ(preview->textCursor().selectedText(), QStringLiteral("0\u00a0000"));

    const QString work = addTab("Work", {QStringLiteral("a\u2029b\u00a0c")});
    controller.model()->selectTab(work);
    settle();
    controller.model()->startEditNote(notes.tab(work)->notes.first());
    settle();
    QPlainTextEdit* editor = part<ClipboardNoteEditor>(panel, "noteEditor")->textArea();
    QTextCursor caret = editor->textCursor();
    caret.setPosition(1);
    editor->setTextCursor(caret);
    controller.model()->setContentFontSize(17);
    settle();
    EXPECT_EQ(editor->textCursor().position(), 1);

    editor->moveCursor(QTextCursor::End);
    const QString typed = editortyping::typeInvisibleCharacters(editor);
    EXPECT_EQ(controller.model()->noteDraft(), "a\nb\u00a0c" + typed);
    editortyping::press(editor, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(noteTexts(work), QStringList{"a\nb\u00a0c" + typed});
}

TEST_F(RowsTest, RussianRetitlesEveryTextAtOnce) {
    ClipboardHistoryPanel* panel = open();
    controller.model()->selectTab(addTab("Work", {"note text"}));
    settle();
    const auto editHelp = [&] {
        return part<ClipboardEntryList>(panel, "entryList")
            ->visibleRows()
            .value(0)
            ->findChildren<QToolButton*>("rowButton")
            .at(2)
            ->toolTip();
    };
    EXPECT_EQ(editHelp(), "Edit");
    setLanguage(UiLanguage::ru);
    settle();
    EXPECT_EQ(editHelp(), "Редактировать");
    EXPECT_EQ(part<QLineEdit>(panel, "search")->placeholderText(), "Поиск");
    EXPECT_EQ(part<QPushButton>(panel, "addNote")->text(), "Добавить заметку");
    EXPECT_EQ(part<QLabel>(panel, "previewTitle")->text(), "Заметка");
}

// Switched to Russian while open, every accessible name and tool tip of the window is Russian:
// in the history with a search typed, and in a notes tab with its editor open.
TEST_F(RowsTest, RussianNamesEveryPart) {
    setHistory({"запись"});
    QWidget* window = open()->window();
    setLanguage(UiLanguage::ru);
    controller.model()->setSearchText("за");
    settle();
    QStringList found = englishNames(window);
    controller.model()->selectTab(addTab("Работа", {"заметка"}));
    controller.model()->startNewNote();
    settle();
    found << englishNames(window);
    found.removeDuplicates();
    EXPECT_TRUE(found.isEmpty()) << found.join('\n').toStdString();
}

TEST_F(RowsTest, EveryControlHasANameAndUserTextIsPlain) {
    setHistory({"<b>bold & bare</b>"});
    ClipboardHistoryPanel* panel = open();
    controller.model()->selectTab(addTab("A & B", {"<i>x</i>"}));
    controller.model()->setSearchText("x");
    controller.model()->startNewNote();
    settle();
    int checked = 0;
    for (QWidget* widget : panel->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(widget) ||
                             qobject_cast<QLineEdit*>(widget) ||
                             qobject_cast<QPlainTextEdit*>(widget);
        if (control && widget->isVisibleTo(panel)) {
            ++checked;
            EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->metaObject()->className();
        }
    }
    EXPECT_GT(checked, 15);
    for (QLabel* label : panel->findChildren<QLabel*>()) {
        EXPECT_NE(label->textFormat(), Qt::RichText);
        EXPECT_NE(label->textFormat(), Qt::AutoText) << label->text().toStdString();
    }
    // The tab button shows the ampersand itself, not a mnemonic.
    EXPECT_EQ(panel->findChildren<QAbstractButton*>("tab").at(1)->text(), "A && B");
}

// "+" and "−" spring the sample letter to its new size; past 20 it stays.
TEST_F(RowsTest, TheSampleLetterSpringsToANewTextSize) {
    VirtualAnimationTime animations;
    windowDefaults.setDouble(ClipboardWindowModel::kFontSizeKey, 13);
    ClipboardHistoryPanel* panel = open();
    auto* letter = part<SampleLetter>(panel, "sampleLetter");
    ASSERT_NE(letter, nullptr);
    EXPECT_EQ(letter->drawnSize(), 13);
    // Clicks, then the size partway (48 ms on) and at rest.
    const std::tuple<const char*, int, double, double> steps[] = {
        {"increaseText", 1, 13, 14}, {"decreaseText", 1, 14, 13}, {"increaseText", 9, 13, 20}};
    for (const auto& [button, clicks, from, to] : steps) {
        for (int i = 0; i < clicks; ++i) {
            part<QToolButton>(panel, button)->click();
        }
        settle();
        animations.advance(48);
        const double share = (letter->drawnSize() - from) / (to - from);
        EXPECT_GT(share, 0.1) << button;
        EXPECT_LT(share, 0.9) << button;
        animations.advance(600);
        EXPECT_EQ(letter->drawnSize(), to) << button;
    }
}

}  // namespace
