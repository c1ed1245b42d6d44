#include "theme/CloseButton.h"

#include <QPainter>

#include "theme/ThemeIcons.h"

CloseButton::CloseButton(QWidget* parent) : QAbstractButton(parent) {
    setFixedSize(18, 18);
    setCursor(Qt::ArrowCursor);
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(QStringLiteral("Close"));
    setAttribute(Qt::WA_Hover);
}

void CloseButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CloseButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void CloseButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF dot(2, 2, 14, 14);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(1.0f, 0.373f, 0.341f));
    painter.drawEllipse(dot);
    QPen rim(QColor::fromRgbF(0, 0, 0, 0.12f), 0.5);
    painter.setPen(rim);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(dot.adjusted(0.25, 0.25, -0.25, -0.25));
    if (hovered_) {
        const QPixmap cross = ThemeIcons::pixmap(
            QStringLiteral("xmark"), QColor::fromRgbF(0, 0, 0, 0.55f), 8, devicePixelRatioF());
        painter.drawPixmap(QPointF(5, 5), cross);
    }
}

CloseButton* addPanelCloseButton(QWidget* surface, std::function<void()> action) {
    auto* button = new CloseButton(surface);
    button->move(12, 12);
    button->raise();
    QObject::connect(button, &QAbstractButton::clicked, button,
                     [action = std::move(action)] { action(); });
    return button;
}
