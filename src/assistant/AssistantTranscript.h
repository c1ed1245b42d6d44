#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QUuid>
#include <QWidget>

#include "assistant/AssistantPanelModel.h"
#include "assistant/AssistantTurnRow.h"

class QLabel;
class QScrollArea;
class QVariantAnimation;
class QVBoxLayout;

// The scrolling conversation: an empty state while there are no turns, else one row per turn
// kept by its id (rows are added and removed, never all rebuilt), then a bottom marker.
class AssistantTranscript : public QWidget {
    Q_OBJECT
public:
    static constexpr int kScrollDurationMs = 180;

    explicit AssistantTranscript(QWidget* parent = nullptr);

    void setModel(const AssistantPanelModel& model);
    // On a later turn of the event loop, an eased scroll that brings the end into view.
    void scrollToBottom();

    QScrollArea* scrollArea() const { return scrollArea_; }
    QLabel* emptyLabel() const { return emptyText_; }
    QWidget* emptyState() const { return emptyState_; }
    QList<AssistantTurnRow*> rows() const { return rows_; }
    AssistantTurnRow* row(const QUuid& id) const { return rowsById_.value(id); }
    // The running scroll; null when none ever ran.
    QVariantAnimation* scrollAnimation() const { return animation_; }

Q_SIGNALS:
    void copyClicked(const QUuid& turnId);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void syncRows(const AssistantPanelModel& model);
    void startScroll();

    QScrollArea* scrollArea_ = nullptr;
    QWidget* content_ = nullptr;
    QVBoxLayout* rowsLayout_ = nullptr;
    QWidget* emptyState_ = nullptr;
    QLabel* emptySymbol_ = nullptr;
    QLabel* emptyText_ = nullptr;
    QWidget* bottomMarker_ = nullptr;
    QList<AssistantTurnRow*> rows_;
    QHash<QUuid, AssistantTurnRow*> rowsById_;
    AssistantTurnRow::Labels labels_;
    QVariantAnimation* animation_ = nullptr;
};
