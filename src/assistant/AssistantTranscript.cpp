#include "assistant/AssistantTranscript.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include "theme/NiveloTheme.h"
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
    scrollArea_->setAccessibleName(QStringLiteral("Transcript"));
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setWidgetResizable(true);
    scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scrollArea_->viewport()->setAutoFillBackground(false);
    scrollArea_->setAutoFillBackground(false);
    outer->addWidget(scrollArea_);

    content_ = new QWidget(scrollArea_);
    content_->setAccessibleName(QStringLiteral("Conversation"));
    rowsLayout_ = new QVBoxLayout(content_);
    rowsLayout_->setContentsMargins(10, 10, 10, 10);
    rowsLayout_->setSpacing(12);

    emptyState_ = new QWidget(content_);
    emptyState_->setAccessibleName(QStringLiteral("Empty conversation"));
    emptyState_->setMinimumHeight(260);
    auto* emptyLayout = new QVBoxLayout(emptyState_);
    emptyLayout->setContentsMargins(18, 18, 18, 18);
    emptyLayout->setSpacing(8);
    emptyLayout->addStretch(1);
    emptySymbol_ = new QLabel(emptyState_);
    emptySymbol_->setAccessibleName(QStringLiteral("sparkles"));
    emptySymbol_->setAlignment(Qt::AlignCenter);
    emptyLayout->addWidget(emptySymbol_);
    emptyText_ = new QLabel(emptyState_);
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
    rowsLayout_->addWidget(emptyState_);

    // The end of the conversation, where every scroll to the bottom goes.
    bottomMarker_ = new QWidget(content_);
    bottomMarker_->setObjectName(QStringLiteral("assistant-bottom"));
    bottomMarker_->setFixedHeight(1);
    rowsLayout_->addWidget(bottomMarker_);
    rowsLayout_->addStretch(1);
    scrollArea_->setWidget(content_);
    // setWidget() turned the fill on; the transcript shows the surface through.
    content_->setAutoFillBackground(false);
}

void AssistantTranscript::setModel(const AssistantPanelModel& model) {
    const bool empty = model.turns.isEmpty();
    emptyState_->setVisible(empty);
    bottomMarker_->setVisible(!empty);
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
    labels_ = {model.userLabel, model.answerLabel, model.copyAnswerName};
    syncRows(model);
}

void AssistantTranscript::syncRows(const AssistantPanelModel& model) {
    QSet<QUuid> wanted;
    for (const AssistantTurnModel& turn : model.turns) {
        wanted.insert(turn.id);
    }
    for (auto it = rows_.begin(); it != rows_.end();) {
        if (!wanted.contains((*it)->turnId())) {
            AssistantTurnRow* gone = *it;
            rowsById_.remove(gone->turnId());
            rowsLayout_->removeWidget(gone);
            gone->hide();
            gone->deleteLater();
            it = rows_.erase(it);
        } else {
            ++it;
        }
    }
    // The layout holds the empty state first, then the rows in turn order.
    for (int i = 0; i < model.turns.size(); ++i) {
        const AssistantTurnModel& turn = model.turns[i];
        AssistantTurnRow* row = rowsById_.value(turn.id);
        if (!row) {
            row = new AssistantTurnRow(turn, labels_, content_);
            connect(row, &AssistantTurnRow::copyClicked, this, &AssistantTranscript::copyClicked);
            rowsById_.insert(turn.id, row);
            rows_.insert(i, row);
            rowsLayout_->insertWidget(1 + i, row);
        } else {
            if (rows_.indexOf(row) != i) {
                rows_.move(rows_.indexOf(row), i);
                rowsLayout_->removeWidget(row);
                rowsLayout_->insertWidget(1 + i, row);
            }
            row->refresh(turn, labels_);
        }
    }
}

void AssistantTranscript::scrollToBottom() {
    // After the current layout pass, so the new rows count in the scroll range.
    QTimer::singleShot(0, this, [this] { startScroll(); });
}

void AssistantTranscript::startScroll() {
    if (!bottomMarker_->isVisibleTo(content_)) {
        // No turns, no marker: nothing to scroll to.
        return;
    }
    QScrollBar* bar = scrollArea_->verticalScrollBar();
    if (!animation_) {
        animation_ = new QVariantAnimation(this);
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
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius,
                        kCornerRadius);
    painter.setPen(QPen(NiveloTheme::withOpacity(palette().color(QPalette::WindowText), 0.1), 1));
    painter.drawPath(path);
}
