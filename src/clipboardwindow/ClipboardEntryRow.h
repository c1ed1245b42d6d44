#pragma once

#include <QAbstractButton>
#include <QList>
#include <QStringList>

#include "clipboardwindow/ClipboardWindowView.h"

class QToolButton;

// One entry of a clipboard list: the start of its text (four lines at most) over its count,
// with small icon buttons at the right. Entering it with the pointer or clicking it selects
// it; a double click pastes it. Drawn by hand; it reads as a list item named by the text's
// start, selected while the list's selection is on it.
class ClipboardEntryRow : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kPadding = 10;
    static constexpr int kSpacing = 10;
    static constexpr int kLineGap = 5;
    static constexpr int kButtonSize = 22;
    static constexpr int kCornerRadius = 11;

    explicit ClipboardEntryRow(QWidget* parent = nullptr);

    void setRow(const ClipboardRowView& row, int fontPixelSize, bool selected);
    const ClipboardRowView& row() const { return row_; }
    bool isSelected() const { return isChecked(); }
    // The lines a row of that width shows: at most four, the last one cut with an ellipsis
    // when the text goes on.
    static QStringList textLines(const QString& text, const QFont& font, int textWidth);
    static int heightFor(const ClipboardRowView& row, int fontPixelSize, int width);
    // A quick guess of heightFor from the text's length, for rows not measured yet.
    static int estimatedHeightFor(const ClipboardRowView& row, int fontPixelSize, int width);

Q_SIGNALS:
    void entered();
    void doubleClicked();
    void buttonClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // The list decides the selection; a click only reports itself.
    void nextCheckState() override {}

private:
    static QFont textFont(int pixelSize);
    static int textWidthFor(int rowWidth, int buttonCount);
    static int heightForLines(int lines, const QFont& font);
    void placeButtons();
    // The icons take the palette's colours (a liquid mode's dark palette too).
    void tintButtons();

    ClipboardRowView row_;
    int fontPixelSize_ = 13;
    QList<QToolButton*> buttons_;
    QStringList lines_;
    int linesWidth_ = -1;
};
