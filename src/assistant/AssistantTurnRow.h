#pragma once

#include <QHash>
#include <QLabel>
#include <QUuid>
#include <QWidget>
#include <optional>

#include "assistant/AssistantPanelModel.h"

class AssistantButton;

// Text that came from the user or the AI: plain, wrapped, selectable. It asks for the width
// of its longest line, so a short text hugs it; a word longer than the room is cut at the
// edge rather than widening the transcript.
class AssistantTextLabel : public QLabel {
    Q_OBJECT
public:
    explicit AssistantTextLabel(const QString& text, QWidget* parent = nullptr);

    // Changes the text (and its accessible name) and forgets the measures of the old one.
    void setContent(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    int heightForWidth(int width) const override;

protected:
    void changeEvent(QEvent* event) override;

private:
    // Laying out the text is the dear part of a transcript's layout: once per width.
    mutable QHash<int, int> heights_;
    mutable std::optional<QSize> sizeHint_;
};

// One turn of the transcript: the request in a bubble at the trailing side, then the answer
// across the whole width with its copy control. Texts are selectable plain text.
class AssistantTurnRow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLeadingRoom = 36;

    struct Labels {
        QString user;
        QString answer;
        // The copy control's accessible name.
        QString copy;
        bool operator==(const Labels&) const = default;
    };

    AssistantTurnRow(const AssistantTurnModel& turn, const Labels& labels,
                     QWidget* parent = nullptr);

    const QUuid& turnId() const { return id_; }
    // Shows turn (a row that measures turns takes one after another).
    void refresh(const AssistantTurnModel& turn, const Labels& labels);

    AssistantTextLabel* requestLabel() const { return request_; }
    AssistantTextLabel* resultLabel() const { return result_; }
    AssistantButton* copyButton() const { return copy_; }
    QWidget* userBubble() const { return userBubble_; }
    QWidget* answerBubble() const { return answerBubble_; }

Q_SIGNALS:
    void copyClicked(const QUuid& turnId);

private:
    QUuid id_;
    QWidget* userBubble_ = nullptr;
    QWidget* answerBubble_ = nullptr;
    QLabel* userLabel_ = nullptr;
    QLabel* answerLabel_ = nullptr;
    AssistantTextLabel* request_ = nullptr;
    AssistantTextLabel* result_ = nullptr;
    AssistantButton* copy_ = nullptr;
};

