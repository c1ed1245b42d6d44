#pragma once

#include <QLabel>

// Plain text wrapped to the label's width on at most a given number of lines; what does not fit
// ends the last line with an ellipsis.
class ClampedTextLabel : public QLabel {
    Q_OBJECT
public:
    ClampedTextLabel(int maximumLines, QWidget* parent = nullptr);

    void setFullText(const QString& text);
    const QString& fullText() const { return full_; }

    // The lines shown at that width, joined by line breaks.
    static QString clamped(const QString& text, const QFont& font, int width, int maximumLines);

    // As tall as the lines the text takes at that width, up to the maximum.
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void reflow();

    int maximumLines_;
    QString full_;
};
