#pragma once

#include <QHash>
#include <QString>
#include <QTextEdit>
#include <optional>

// Text that came from the user or the AI, in a bubble: plain, selectable, wrapped at word
// boundaries and, for a word longer than the line, anywhere. It asks for the width of its
// longest line, so a short text hugs it, and for the height its lines need.
class AssistantBubbleText : public QTextEdit {
    Q_OBJECT
public:
    static constexpr int kFontPixelSize = 13;

    explicit AssistantBubbleText(const QString& text, QWidget* parent = nullptr);

    // The text exactly as given (no-break spaces included).
    const QString& text() const { return text_; }
    void setText(const QString& text);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;

private:
    QString text_;
    // Laying out the text is the dear part of a transcript's layout: once per width.
    mutable QHash<int, int> heights_;
    mutable std::optional<QSize> sizeHint_;
};
