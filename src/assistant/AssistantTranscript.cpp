#include "assistant/AssistantTranscript.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QTimer>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <algorithm>

#include "theme/NiveloTheme.h"
#include "theme/RoundedBox.h"
#include "theme/ThemeIcons.h"

namespace {

constexpr int kCornerRadius = 16;
constexpr int kEmptySymbolSize = 22;

}  // namespace

AssistantTranscript::AssistantTranscript(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("Transcript"));
    auto* outer = new QVBoxLayout(this);
    // Inside the outline.
    outer->setContentsMargins(1, 1, 1, 1);
    scrollArea_ = new QScrollArea(this);
    scrollArea_->setObjectName(QStringLiteral("transcriptScroll"));
    scrollArea_->setAccessibleName(QStringLiteral("Transcript"));
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setWidgetResizable(false);
    scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scrollArea_->viewport()->setAutoFillBackground(false);
    scrollArea_->setAutoFillBackground(false);
    outer->addWidget(scrollArea_);

    // Rows are placed by hand: a layout over hundreds of rows costs every change its all.
    content_ = new QWidget(scrollArea_);
    content_->setAccessibleName(QStringLiteral("Conversation"));

    emptyState_ = new QWidget(content_);
    emptyState_->setObjectName(QStringLiteral("emptyState"));
    emptyState_->setAccessibleName(QStringLiteral("Empty conversation"));
    auto* emptyLayout = new QVBoxLayout(emptyState_);
    emptyLayout->setContentsMargins(18, 18, 18, 18);
    emptyLayout->setSpacing(8);
    emptyLayout->addStretch(1);
    emptySymbol_ = new QLabel(emptyState_);
    emptySymbol_->setAccessibleName(QStringLiteral("AI assistant"));
    emptySymbol_->setAlignment(Qt::AlignCenter);
    emptyLayout->addWidget(emptySymbol_);
    emptyText_ = new QLabel(emptyState_);
    emptyText_->setObjectName(QStringLiteral("emptyText"));
    emptyText_->setTextFormat(Qt::PlainText);
    emptyText_->setAlignment(Qt::AlignCenter);
    emptyText_->setWordWrap(true);
    emptyText_->setForegroundRole(QPalette::PlaceholderText);
    QFont emptyFont = NiveloTheme::font(NiveloTheme::FontRole::body);
    emptyFont.setPixelSize(15);
    emptyFont.setWeight(QFont::Medium);
    emptyText_->setFont(emptyFont);
    emptyLayout->addWidget(emptyText_);
    emptyLayout->addStretch(1);

    // The end of the conversation, where every scroll to the bottom goes.
    bottomMarker_ = new QWidget(content_);
    bottomMarker_->setObjectName(QStringLiteral("assistant-bottom"));
    bottomMarker_->hide();

    measurer_ = new AssistantTurnRow({}, labels_, content_);
    measurer_->hide();

    scrollArea_->setWidget(content_);
    // setWidget() turned the fill on; the transcript shows the surface through.
    content_->setAutoFillBackground(false);
    scrollArea_->viewport()->installEventFilter(this);
    connect(scrollArea_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { syncRows(); });
}

QList<AssistantTurnRow*> AssistantTranscript::rows() const {
    QList<AssistantTurnRow*> result;
    for (const Entry& entry : entries_) {
        if (AssistantTurnRow* row = rowsById_.value(entry.turn.id)) {
            result.append(row);
        }
    }
    return result;
}

void AssistantTranscript::setModel(const AssistantPanelModel& model) {
    if (emptyText_->text() != model.emptyText) {
        emptyText_->setText(model.emptyText);
        emptyText_->setAccessibleName(model.emptyText);
    }
    const QColor secondary = palette().color(QPalette::PlaceholderText);
    if (emptySymbol_->property("tint").value<QColor>() != secondary) {
        emptySymbol_->setProperty("tint", secondary);
        emptySymbol_->setPixmap(ThemeIcons::pixmap(QStringLiteral("sparkles"), secondary,
                                                   kEmptySymbolSize, devicePixelRatioF()));
    }
    const AssistantTurnRow::Labels labels{model.userLabel, model.answerLabel, model.copyAnswerName};
    const bool relabelled = labels != labels_;
    labels_ = labels;

    // Entries keep their measures while their turn stays.
    QHash<QUuid, Entry> old;
    for (const Entry& entry : std::as_const(entries_)) {
        old.insert(entry.turn.id, entry);
    }
    QList<Entry> entries;
    entries.reserve(model.turns.size());
    for (const AssistantTurnModel& turn : model.turns) {
        Entry entry = old.value(turn.id);
        entry.turn = turn;
        if (relabelled) {
            entry.measuredWidth = -1;
        }
        entries.append(entry);
    }
    entries_ = std::move(entries);
    layOut();
}

void AssistantTranscript::layOut() {
    const int width = scrollArea_->viewport()->width();
    const int rowWidth = std::max(width - 2 * kPadding, 0);
    const bool empty = entries_.isEmpty();
    emptyState_->setVisible(empty);
    bottomMarker_->setVisible(!empty);
    int y = kPadding;
    for (Entry& entry : entries_) {
        if (entry.measuredWidth != rowWidth) {
            measurer_->refresh(entry.turn, labels_);
            entry.height = measurer_->heightForWidth(rowWidth);
            entry.measuredWidth = rowWidth;
        }
        entry.top = y;
        y += entry.height + kSpacing;
    }
    int height = 0;
    if (empty) {
        emptyState_->setGeometry(kPadding, kPadding, rowWidth, kEmptyMinimumHeight);
        height = kPadding + kEmptyMinimumHeight + kPadding;
    } else {
        bottomMarker_->setGeometry(kPadding, y, rowWidth, 1);
        height = y + 1 + kPadding;
    }
    contentHeight_ = height;
    content_->resize(width, height);
    syncRows();
}

void AssistantTranscript::syncRows() {
    const int viewTop = scrollArea_->verticalScrollBar()->value();
    const int viewHeight = scrollArea_->viewport()->height();
    // A screen above and below stays built, so a short scroll finds its rows ready.
    const int from = viewTop - viewHeight;
    const int to = viewTop + 2 * viewHeight;
    const int rowWidth = std::max(scrollArea_->viewport()->width() - 2 * kPadding, 0);
    auto first = std::lower_bound(entries_.begin(), entries_.end(), from,
                                  [](const Entry& e, int y) { return e.top + e.height < y; });
    QSet<QUuid> wanted;
    for (auto it = first; it != entries_.end() && it->top <= to; ++it) {
        wanted.insert(it->turn.id);
        AssistantTurnRow* row = rowsById_.value(it->turn.id);
        if (!row) {
            row = new AssistantTurnRow(it->turn, labels_, content_);
            connect(row, &AssistantTurnRow::copyClicked, this, &AssistantTranscript::copyClicked);
            rowsById_.insert(it->turn.id, row);
        } else {
            row->refresh(it->turn, labels_);
        }
        const QRect geometry(kPadding, it->top, rowWidth, it->height);
        if (row->geometry() != geometry) {
            row->setGeometry(geometry);
        }
        row->show();
    }
    for (auto it = rowsById_.begin(); it != rowsById_.end();) {
        if (!wanted.contains(it.key())) {
            it.value()->hide();
            it.value()->deleteLater();
            it = rowsById_.erase(it);
        } else {
            ++it;
        }
    }
}

bool AssistantTranscript::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scrollArea_->viewport() && event->type() == QEvent::Resize) {
        layOut();
    }
    return QWidget::eventFilter(watched, event);
}

void AssistantTranscript::scrollToBottom() {
    // After the current changes, so the new rows count in the scroll range.
    QTimer::singleShot(0, this, [this] { startScroll(); });
}

void AssistantTranscript::startScroll() {
    if (entries_.isEmpty()) {
        // No turns, no marker: nothing to scroll to.
        return;
    }
    QScrollBar* bar = scrollArea_->verticalScrollBar();
    if (!animation_) {
        animation_ = new QVariantAnimation(this);
        animation_->setObjectName(QStringLiteral("scrollAnimation"));
        animation_->setDuration(kScrollDurationMs);
        animation_->setEasingCurve(QEasingCurve::OutQuad);
        connect(animation_, &QVariantAnimation::valueChanged, this,
                [bar](const QVariant& value) { bar->setValue(value.toInt()); });
        // Rows laid out while the scroll runs move its end with them.
        connect(bar, &QScrollBar::rangeChanged, this, [this](int, int maximum) {
            if (animation_->state() == QAbstractAnimation::Running) {
                animation_->setEndValue(maximum);
            }
        });
    }
    animation_->stop();
    animation_->setStartValue(bar->value());
    animation_->setEndValue(bar->maximum());
    animation_->start();
}

void AssistantTranscript::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    RoundedBox::paint(painter, QRectF(rect()),
                      {.radius = kCornerRadius, .stroke = {ThemeColor::Role::primary, 0.1}},
                      palette());
}
