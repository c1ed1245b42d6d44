#pragma once

#include <QList>
#include <QWidget>

#include "clipboardwindow/ClipboardWindowView.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QHBoxLayout;

// The selected entry in full beside the list: a title with the character count, the text
// (selectable, scrolling) and a bar of labelled buttons, all disabled without an entry.
class ClipboardSidePreview : public QWidget {
    Q_OBJECT
public:
    explicit ClipboardSidePreview(QWidget* parent = nullptr);

    void setView(const ClipboardPreviewView& view, int fontPixelSize);
    const ClipboardPreviewView& view() const { return view_; }

Q_SIGNALS:
    void buttonClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ClipboardPreviewView view_;
    int fontPixelSize_ = 0;
    QLabel* title_ = nullptr;
    QLabel* count_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    QHBoxLayout* buttonBar_ = nullptr;
    QList<QPushButton*> buttons_;
};
