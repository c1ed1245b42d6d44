#include "assistant/AssistantRoundedBox.h"

#include <QPainter>
#include <QPainterPath>

AssistantRoundedBox::AssistantRoundedBox(const QString& name, double cornerRadius,
                                         AssistantColor fill, AssistantColor stroke,
                                         QWidget* parent)
    : QWidget(parent), cornerRadius_(cornerRadius), fill_(fill), stroke_(stroke) {
    setAccessibleName(name);
}

void AssistantRoundedBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (cornerRadius_ <= 0) {
        // A plain rule, however thin.
        painter.fillRect(rect(), fill_.resolve(palette()));
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius_,
                        cornerRadius_);
    painter.fillPath(path, fill_.resolve(palette()));
    if (stroke_.role != AssistantColor::Role::clear) {
        painter.setPen(QPen(stroke_.resolve(palette()), 1));
        painter.drawPath(path);
    }
}
