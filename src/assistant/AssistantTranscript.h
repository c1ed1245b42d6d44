#pragma once

#include <QHash>
#include <QList>
#include <QUuid>
#include <QWidget>

#include "assistant/AssistantPanelModel.h"
#include "assistant/AssistantTurnRow.h"

class QLabel;
class QScrollArea;
class QVariantAnimation;

// The scrolling conversation: an empty state while there are no turns, else the turns one
// under another, then a bottom marker. Only the rows in view (and a screen around it) exist
// as widgets, kept by turn id while they stay there; the others are measured once per width.
class AssistantTranscript : public QWidget {
    Q_OBJECT
public:
    static constexpr int kScrollDurationMs = 180;
    static constexpr int kPadding = 10;
    static constexpr int kSpacing = 12;
    static constexpr int kEmptyMinimumHeight = 260;

    explicit AssistantTranscript(QWidget* parent = nullptr);

    void setModel(const AssistantPanelModel& model);
    // On a later turn of the event loop, an eased scroll that brings the end into view.
    void scrollToBottom();

    // The rows that exist now, in turn order.
    QList<AssistantTurnRow*> rows() const;

Q_SIGNALS:
    void copyClicked(const QUuid& turnId);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        AssistantTurnModel turn;
        int measuredWidth = -1;
        int height = 0;
        int top = 0;
    };

    // Places every turn at the current width and sizes the content.
    void layOut();
    // Makes the rows in view and drops the others.
    void syncRows();
    void startScroll();

    QScrollArea* scrollArea_ = nullptr;
    QWidget* content_ = nullptr;
    QWidget* emptyState_ = nullptr;
    QLabel* emptySymbol_ = nullptr;
    QLabel* emptyText_ = nullptr;
    QWidget* bottomMarker_ = nullptr;
    AssistantTurnRow* measurer_ = nullptr;
    QList<Entry> entries_;
    QHash<QUuid, AssistantTurnRow*> rowsById_;
    AssistantTurnRow::Labels labels_;
    int contentHeight_ = 0;
    QVariantAnimation* animation_ = nullptr;
};
