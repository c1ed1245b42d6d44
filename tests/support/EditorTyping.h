#pragma once

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

// Typing into a real text editor as a user does: key presses carrying their text, Ctrl+V with
// the application's clipboard, and Shift+Return.
namespace editortyping {

inline void press(QWidget* editor, int key, Qt::KeyboardModifiers modifiers = {},
                  const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(editor, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(editor, &release);
}

inline void type(QWidget* editor, const QString& text) {
    for (const QChar c : text) {
        press(editor, 0, {}, QString(c));
    }
}

inline void paste(QWidget* editor, const QString& text) {
    QApplication::clipboard()->setText(text);
    press(editor, Qt::Key_V, Qt::ControlModifier);
}

// Types a Russian amount with a no-break space, pastes French quotes with no-break spaces and
// a U+2028 inside, and starts a new line with Shift+Return. Returns what was typed as the
// editor's store must then hold it.
inline QString typeInvisibleCharacters(QWidget* editor) {
    type(editor, QStringLiteral("10\u00a0000 руб."));
    paste(editor, QStringLiteral("\u00ab\u00a0texte\u00a0\u00bb\u2028ligne"));
    press(editor, Qt::Key_Return, Qt::ShiftModifier);
    type(editor, QStringLiteral("x"));
    return QStringLiteral("10\u00a0000 руб.\u00ab\u00a0texte\u00a0\u00bb\u2028ligne\nx");
}

}  // namespace editortyping
