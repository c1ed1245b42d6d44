#include "clipboardwindow/ClipboardEntryList.h"

#include <QEvent>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

#include "clipboard/ClipboardHistoryService.h"
#include "clipboardwindow/ClipboardEntryRow.h"

namespace {

QString heightKey(const ClipboardRowView& row) {
    return row.id + QLatin1Char('\x1f') + QString::number(qHash(row.text)) + QLatin1Char('\x1f') +
           QString::number(row.buttons.size());
}

}  // namespace

ClipboardEntryList::ClipboardEntryList(QWidget* parent) : QAbstractScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(24);
}

void ClipboardEntryList::setRows(const QList<ClipboardRowView>& rows, int fontPixelSize) {
    if (fontPixelSize != fontPixelSize_) {
        heights_.clear();
    }
    fontPixelSize_ = fontPixelSize;
    rows_ = rows;
    layoutWidth_ = -1;
    relayout();
}

void ClipboardEntryList::setHighlightedID(const std::optional<QString>& id) {
    if (highlighted_ == id) {
        return;
    }
    highlighted_ = id;
    placeRows();
}

void ClipboardEntryList::relayout() {
    const int width = viewport()->width();
    if (width != layoutWidth_) {
        if (layoutWidth_ != -1) {
            heights_.clear();
        }
        layoutWidth_ = width;
    }
    offsets_.clear();
    offsets_.reserve(rows_.size() + 1);
    // Entries that left the list (a search) keep their heights for when they come back;
    // the cache is dropped only when it grows far beyond any history.
    if (heights_.size() > 4 * ClipboardHistoryService::kMaxLimit) {
        heights_.clear();
    }
    // Rows in view (and a screen below) are measured now; the others stand at a guessed
    // height until a later turn measures them, so a long list opens at once.
    const int measureNowBelow = verticalScrollBar()->value() + 2 * viewport()->height();
    bool guessed = false;
    int y = 0;
    for (const ClipboardRowView& row : rows_) {
        offsets_.append(y);
        const QString key = heightKey(row);
        auto found = heights_.constFind(key);
        if (found == heights_.constEnd() && y < measureNowBelow) {
            found = heights_.insert(key, ClipboardEntryRow::heightFor(row, fontPixelSize_, width));
        }
        if (found == heights_.constEnd()) {
            guessed = true;
            y += ClipboardEntryRow::estimatedHeightFor(row, fontPixelSize_, width) + kRowSpacing;
        } else {
            y += *found + kRowSpacing;
        }
    }
    if (guessed && !measuring_) {
        measuring_ = true;
        QTimer::singleShot(0, this, &ClipboardEntryList::measureMore);
    }
    offsets_.append(rows_.isEmpty() ? 0 : y - kRowSpacing);
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(viewport()->height());
    bar->setRange(0, std::max(0, offsets_.last() - viewport()->height()));
    placeRows();
}

void ClipboardEntryList::measureMore() {
    measuring_ = false;
    const int width = viewport()->width();
    int measured = 0;
    for (const ClipboardRowView& row : rows_) {
        const QString key = heightKey(row);
        if (!heights_.contains(key)) {
            heights_.insert(key, ClipboardEntryRow::heightFor(row, fontPixelSize_, width));
            if (++measured == 100) {
                break;
            }
        }
    }
    if (measured > 0) {
        relayout();
    }
}

ClipboardEntryRow* ClipboardEntryList::takeRow() {
    if (!spare_.isEmpty()) {
        return spare_.takeLast();
    }
    auto* row = new ClipboardEntryRow(viewport());
    connect(row, &ClipboardEntryRow::entered, this,
            [this, row] { Q_EMIT rowSelected(row->row().id); });
    connect(row, &QAbstractButton::clicked, this,
            [this, row] { Q_EMIT rowSelected(row->row().id); });
    connect(row, &ClipboardEntryRow::doubleClicked, this, [this, row] {
        const QString id = row->row().id;
        Q_EMIT rowSelected(id);
        Q_EMIT rowActivated(id);
    });
    connect(row, &ClipboardEntryRow::buttonClicked, this,
            [this, row](int index) { Q_EMIT rowButtonClicked(row->row().id, index); });
    return row;
}

void ClipboardEntryList::placeRows() {
    const int top = verticalScrollBar()->value();
    const int bottom = top + viewport()->height();
    // The first row whose bottom is below the top of the view.
    const auto first = std::upper_bound(offsets_.begin(), offsets_.end() - 1, top);
    int index = std::max(int(first - offsets_.begin()) - 1, 0);
    QList<ClipboardEntryRow*> previous = std::move(inUse_);
    inUse_.clear();
    auto reuse = [&](const QString& id) -> ClipboardEntryRow* {
        for (int i = 0; i < previous.size(); ++i) {
            if (previous[i]->row().id == id) {
                return previous.takeAt(i);
            }
        }
        return nullptr;
    };
    for (; index < rows_.size() && offsets_[index] < bottom; ++index) {
        const ClipboardRowView& view = rows_[index];
        ClipboardEntryRow* row = reuse(view.id);
        if (!row) {
            row = previous.isEmpty() ? takeRow() : previous.takeLast();
        }
        const int height =
            offsets_[index + 1] - offsets_[index] - (index + 1 < rows_.size() ? kRowSpacing : 0);
        row->setGeometry(0, offsets_[index] - top, viewport()->width(), height);
        row->setRow(view, fontPixelSize_, highlighted_ == view.id);
        row->show();
        inUse_.append(row);
    }
    for (ClipboardEntryRow* row : previous) {
        row->hide();
        spare_.append(row);
    }
}

QList<ClipboardEntryRow*> ClipboardEntryList::visibleRows() const {
    return inUse_;
}

ClipboardEntryRow* ClipboardEntryList::visibleRow(const QString& id) const {
    for (ClipboardEntryRow* row : inUse_) {
        if (row->row().id == id) {
            return row;
        }
    }
    return nullptr;
}

void ClipboardEntryList::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    relayout();
}

void ClipboardEntryList::scrollContentsBy(int, int) {
    placeRows();
}

bool ClipboardEntryList::viewportEvent(QEvent* event) {
    return QAbstractScrollArea::viewportEvent(event);
}
