#pragma once

#include <QLabel>
#include <QUuid>
#include <QWidget>

#include "assistant/AssistantPanelModel.h"

class AssistantBubbleText;
class PaintedButton;

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

Q_SIGNALS:
    void copyClicked(const QUuid& turnId);

private:
    QUuid id_;
    QWidget* userBubble_ = nullptr;
    QWidget* answerBubble_ = nullptr;
    QLabel* userLabel_ = nullptr;
    QLabel* answerLabel_ = nullptr;
    AssistantBubbleText* request_ = nullptr;
    AssistantBubbleText* result_ = nullptr;
    PaintedButton* copy_ = nullptr;
};
