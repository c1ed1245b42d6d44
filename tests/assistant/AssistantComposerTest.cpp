#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>

#include "assistant/AssistantComposerTextView.h"
#include "support/EditorTyping.h"

namespace {

void press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = {},
           const QString& text = {}) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &event);
}

void type(QWidget* target, const QString& text) {
    for (const QChar c : text) {
        press(target, 0, {}, QString(c));
    }
}

}  // namespace

TEST(AssistantComposerTextView, ReturnSendsWhileShiftOrAltReturnStartsANewLine) {
    struct Case {
        const char* name;
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
        int submits;
    };
    const Case cases[] = {
        {"Return", Qt::Key_Return, {}, "ab", 1},
        {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, "ab", 1},
        {"Control+Return", Qt::Key_Return, Qt::ControlModifier, "ab", 1},
        {"Shift+Return", Qt::Key_Return, Qt::ShiftModifier, "ab\n", 0},
        {"Alt+Return", Qt::Key_Return, Qt::AltModifier, "ab\n", 0},
        {"Shift+keypad Enter", Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier, "ab\n", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AssistantComposerTextView view;
        QString bound;
        QStringList sentWith;
        QObject::connect(&view, &AssistantComposerTextView::textEdited,
                         [&](const QString& text) { bound = text; });
        QObject::connect(&view, &AssistantComposerTextView::submitted,
                         [&] { sentWith.append(bound); });
        type(&view, "ab");
        press(&view, c.key, c.modifiers);
        EXPECT_EQ(view.rawText(), c.text);
        EXPECT_EQ(bound, c.text);
        EXPECT_EQ(sentWith.size(), c.submits);
        if (c.submits) {
            // The binding holds the whole text when the submit action runs.
            EXPECT_EQ(sentWith.first(), "ab");
        }
    }
}

TEST(AssistantComposerTextView, ReturnDuringCompositionBelongsToTheInputMethod) {
    AssistantComposerTextView view;
    int submits = 0;
    QObject::connect(&view, &AssistantComposerTextView::submitted, [&] { ++submits; });
    QInputMethodEvent compose(QStringLiteral("ka"), {});
    QApplication::sendEvent(&view, &compose);
    press(&view, Qt::Key_Return);
    EXPECT_EQ(submits, 0);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("か"));
    QApplication::sendEvent(&view, &commit);
    press(&view, Qt::Key_Return);
    EXPECT_EQ(submits, 1);
    EXPECT_EQ(view.rawText(), QStringLiteral("か"));
}

TEST(AssistantComposerTextView, BoundTextKeepsCaretNoBreakSpacesAndLinesAsTyped) {
    AssistantComposerTextView view;
    int edits = 0;
    QObject::connect(&view, &AssistantComposerTextView::textEdited, [&] { ++edits; });
    view.setBoundText(QStringLiteral("one\u00a0two\nthree"));
    EXPECT_EQ(edits, 0);
    EXPECT_EQ(view.rawText(), QStringLiteral("one\u00a0two\nthree"));

    QTextCursor cursor = view.textCursor();
    cursor.setPosition(2);
    view.setTextCursor(cursor);
    view.setBoundText(QStringLiteral("one\u00a0two\nthree"));
    EXPECT_EQ(view.textCursor().position(), 2);

    type(&view, QStringLiteral("\u00a0"));
    EXPECT_EQ(view.rawText(), QStringLiteral("on\u00a0e\u00a0two\nthree"));
    EXPECT_EQ(edits, 1);

    // A pasted U+2028 stays what it is, and a bound text holding it keeps the caret.
    view.setBoundText(QString());
    const QString typed = editortyping::typeInvisibleCharacters(&view);
    EXPECT_EQ(view.rawText(), typed);
    cursor.setPosition(4);
    view.setTextCursor(cursor);
    view.setBoundText(typed);
    EXPECT_EQ(view.textCursor().position(), 4);
    view.setBoundText(QStringLiteral("a\u2029b"));
    EXPECT_EQ(view.rawText(), "a\nb");

    view.setBoundText(QString());
    EXPECT_TRUE(view.rawText().isEmpty());
}

TEST(AssistantComposerTextView, GrowsWithItsLinesBetweenItsLimits) {
    AssistantComposerTextView view;
    view.resize(300, 40);
    view.show();
    EXPECT_EQ(view.sizeHint().height(), AssistantComposerTextView::kMinimumHeight);
    view.setBoundText("1\n2");
    const int two = view.sizeHint().height();
    EXPECT_GT(two, AssistantComposerTextView::kMinimumHeight);
    view.setBoundText("1\n2\n3\n4\n5\n6\n7\n8");
    EXPECT_EQ(view.sizeHint().height(), AssistantComposerTextView::kMaximumHeight);
}
