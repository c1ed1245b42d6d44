#pragma once

#include <QWidget>

#include "clipboardwindow/ClipboardWindowView.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The card in which a note is written: a title, a text area (Return breaks the line,
// Ctrl+Return saves, Escape cancels) and the Cancel and Save buttons.
class ClipboardNoteEditor : public QWidget {
    Q_OBJECT
public:
    explicit ClipboardNoteEditor(QWidget* parent = nullptr);

    // Replaces the text only when it differs, so typing keeps its cursor.
    void setView(const ClipboardNoteEditorView& view, const QString& draft, int fontPixelSize);
    QPlainTextEdit* textArea() const { return text_; }

Q_SIGNALS:
    void draftEdited(const QString& text);
    void saveRequested();
    void cancelRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* title_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* save_ = nullptr;
    int fontPixelSize_ = 0;
};
