#pragma once

#include <QPlainTextEdit>
#include <QString>

// The composer's multi-line request field. Return and keypad Enter send; with Shift or Alt
// held they start a new line. Its text is read raw, so no-break spaces survive; the caller
// owns trimming and the empty-request check.
class AssistantComposerTextView : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int kFontPixelSize = 14;
    static constexpr int kInset = 6;
    // The field's own height range; the composer's frame adds its padding.
    static constexpr int kMinimumHeight = 34;
    static constexpr int kMaximumHeight = 72;

    explicit AssistantComposerTextView(QWidget* parent = nullptr);

    // The text as typed, every line break as "\n".
    QString rawText() const;
    // Brings the field to text; an equal text is left alone, so the caret stays.
    void setBoundText(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // The user changed the text (never sent for setBoundText).
    void textEdited(const QString& text);
    // The submit key, after a last textEdited with the whole text.
    void submitted();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The height the whole text needs at the current width.
    int contentHeight() const;

    bool settingText_ = false;
    int lastContentHeight_ = -1;
};
