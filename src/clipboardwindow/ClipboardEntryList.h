#pragma once

#include <QAbstractScrollArea>
#include <QHash>
#include <QList>
#include <optional>

#include "clipboardwindow/ClipboardWindowView.h"

class ClipboardEntryRow;

// A scrolling list of clipboard rows that makes row widgets only for the rows in view, so a
// list of a thousand entries costs a screenful of widgets. Rows are 8 px apart.
class ClipboardEntryList : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int kRowSpacing = 8;

    explicit ClipboardEntryList(QWidget* parent = nullptr);

    // Keeps the scroll position when only texts or the selection change.
    void setRows(const QList<ClipboardRowView>& rows, int fontPixelSize);
    // The highlighted row; none highlights nothing.
    void setHighlightedID(const std::optional<QString>& id);
    const QList<ClipboardRowView>& rows() const { return rows_; }
    // The row widgets on screen, top to bottom.
    QList<ClipboardEntryRow*> visibleRows() const;
    ClipboardEntryRow* visibleRow(const QString& id) const;
    int contentHeight() const { return offsets_.isEmpty() ? 0 : offsets_.last(); }

Q_SIGNALS:
    void rowSelected(const QString& id);
    void rowActivated(const QString& id);
    void rowButtonClicked(const QString& id, int index);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;

private:
    void relayout();
    // Measures a batch of the rows that still have their guessed height, then lays out again.
    void measureMore();
    void placeRows();
    ClipboardEntryRow* takeRow();

    QList<ClipboardRowView> rows_;
    int fontPixelSize_ = 13;
    std::optional<QString> highlighted_;
    // offsets_[i]: the top of row i; the last element is the total height.
    QList<int> offsets_;
    int layoutWidth_ = -1;
    // Heights by row id for the current width and size, so a changed list measures only its
    // new rows.
    QHash<QString, int> heights_;
    // Some rows stand at a guessed height; a batch that measures them is queued.
    bool measuring_ = false;
    QList<ClipboardEntryRow*> inUse_;
    QList<ClipboardEntryRow*> spare_;
};
