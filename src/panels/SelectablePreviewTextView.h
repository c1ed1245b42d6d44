#pragma once

#include <QPlainTextEdit>

// One text of the translation preview: read-only, selectable plain text that wraps at the
// width and scrolls only vertically, on a clear background. The placeholder shows while the
// text is empty.
class SelectablePreviewTextView : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int kDocumentMargin = 10;

    explicit SelectablePreviewTextView(QWidget* parent = nullptr);

    // Shows text (else placeholder) at fontSize pixels. A redraw that keeps the text keeps the
    // user's selection; a new text keeps it where it still fits.
    void updateTextView(const QString& text, const QString& placeholder, double fontSize);
};
