#include "assistant/AssistantLanguageList.h"

#include <QFontDatabase>
#include <QGraphicsDropShadowEffect>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QVBoxLayout>

#include "theme/NiveloTheme.h"
#include "theme/RoundedBox.h"
#include "theme/ThemeIcons.h"

namespace {

constexpr int kRowHeight = 30;
constexpr int kMarkerWidth = 14;
constexpr double kCornerRadius = 12;

QFont nameFont() {
    QFont font = NiveloTheme::font(NiveloTheme::FontRole::body);
    font.setPixelSize(13);
    return font;
}

QFont badgeFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(NiveloTheme::font(NiveloTheme::FontRole::caption2).pixelSize());
    font.setWeight(QFont::DemiBold);
    return font;
}

}  // namespace

AssistantLanguageRowButton::AssistantLanguageRowButton(const AssistantLanguageRow& row,
                                                       QWidget* parent)
    : QAbstractButton(parent), row_(row) {
    setAccessibleName(row.name);
    setCheckable(true);
    QAbstractButton::setChecked(row.checked);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void AssistantLanguageRowButton::setChecked(bool checked) {
    if (row_.checked != checked) {
        row_.checked = checked;
        QAbstractButton::setChecked(checked);
        update();
    }
}

QSize AssistantLanguageRowButton::sizeHint() const {
    return {200, kRowHeight};
}

void AssistantLanguageRowButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void AssistantLanguageRowButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void AssistantLanguageRowButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor primary = palette().color(QPalette::WindowText);
    if (hovered_ || hasFocus()) {
        RoundedBox::paint(painter, QRectF(rect()),
                          {.radius = 7, .fill = {ThemeColor::Role::accent, 0.16}}, palette());
    }
    int x = 10;
    if (row_.checked) {
        const int size = 11;
        painter.drawPixmap(
            x + (kMarkerWidth - size) / 2, (height() - size) / 2,
            ThemeIcons::pixmap(QStringLiteral("checkmark"), primary, size, devicePixelRatioF()));
    }
    x += kMarkerWidth + 8;

    const QFont badge = badgeFont();
    const int badgeWidth = QFontMetrics(badge).horizontalAdvance(row_.badge);
    const int badgeX = width() - 10 - badgeWidth;
    const QFont name = nameFont();
    painter.setFont(name);
    painter.setPen(primary);
    const int nameWidth = std::max(badgeX - 8 - x, 0);
    painter.drawText(QRect(x, 0, nameWidth, height()), Qt::AlignVCenter | Qt::TextSingleLine,
                     QFontMetrics(name).elidedText(row_.name, Qt::ElideRight, nameWidth));
    painter.setFont(badge);
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(QRect(badgeX, 0, badgeWidth, height()), Qt::AlignVCenter | Qt::TextSingleLine,
                     row_.badge);
}

AssistantLanguageList::AssistantLanguageList(QWidget* parent) : QWidget(parent) {
    setFixedSize(kWidth, kHeight);
    // The shadow is drawn outside the box, so clicks around it reach what lies beneath.
    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setColor(QColor(0, 0, 0, int(0.28 * 255)));
    shadow->setBlurRadius(32);
    shadow->setOffset(0, 7);
    setGraphicsEffect(shadow);
    auto* outer = new QVBoxLayout(this);
    // The scroll bar stays clear of the rounded corners.
    outer->setContentsMargins(1, 6, 4, 6);
    scrollArea_ = new QScrollArea(this);
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setWidgetResizable(true);
    scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scrollArea_->viewport()->setAutoFillBackground(false);
    scrollArea_->setAutoFillBackground(false);
    outer->addWidget(scrollArea_);

    auto* content = new QWidget(scrollArea_);
    content->setAccessibleName(QStringLiteral("Languages"));
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(6, 6, 6, 6);
    column->setSpacing(2);
    for (const AssistantLanguageRow& row : assistantLanguageRows(QString())) {
        auto* button = new AssistantLanguageRowButton(row, content);
        button->setObjectName(QStringLiteral("languageRow"));
        const QString name = row.name;
        connect(button, &QAbstractButton::clicked, this, [this, name, button] {
            // A click toggles a checkable button; the mark follows the current language only.
            button->setChecked(name == current_);
            Q_EMIT languageChosen(name);
        });
        column->addWidget(button);
        rows_.append(button);
    }
    scrollArea_->setWidget(content);
    // setWidget() turned the fill on; the list's own box shows through.
    content->setAutoFillBackground(false);
}

void AssistantLanguageList::setCurrent(const QString& language, const QString& accessibleName) {
    setAccessibleName(accessibleName);
    scrollArea_->setAccessibleName(accessibleName);
    if (language == current_) {
        return;
    }
    current_ = language;
    for (AssistantLanguageRowButton* row : rows_) {
        row->setChecked(row->row().name == language);
    }
}

void AssistantLanguageList::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.35, 0.35, -0.35, -0.35);
    QPainterPath path;
    path.addRoundedRect(box, kCornerRadius, kCornerRadius);
    QColor material = palette().color(QPalette::Window);
    material.setAlphaF(0.97f);
    painter.fillPath(path, material);
    painter.setPen(
        QPen(NiveloTheme::withOpacity(palette().color(QPalette::WindowText), 0.14), 0.7));
    painter.drawPath(path);
}
