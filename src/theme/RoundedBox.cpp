#include "theme/RoundedBox.h"

#include <QPainter>
#include <QPainterPath>

#include "theme/NiveloTheme.h"

namespace {

QPainterPath rounded(const QRectF& box, double radius) {
    QPainterPath path;
    path.addRoundedRect(box, radius, radius);
    return path;
}

}  // namespace

RoundedBox::Look RoundedBox::textCapsule(double fillOpacity, double strokeOpacity) {
    Look look{.capsule = true, .fill = {ThemeColor::Role::primary, fillOpacity}};
    if (strokeOpacity > 0) {
        look.stroke = {ThemeColor::Role::primary, strokeOpacity};
    }
    return look;
}

RoundedBox::RoundedBox(const QString& name, const Look& look, QWidget* parent)
    : QWidget(parent), look_(look) {
    setAccessibleName(name);
}

void RoundedBox::setLook(const Look& look) {
    if (look != look_) {
        look_ = look;
        update();
    }
}

void RoundedBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& pal = palette();
    const bool dark = look_.darkFill && NiveloTheme::paletteScheme(pal) == ColorScheme::dark;
    const QColor fill = (dark ? *look_.darkFill : look_.fill).resolve(pal);
    if (!look_.capsule && look_.radius <= 0) {
        painter.fillRect(rect(), fill);
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF inside = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = look_.capsule ? inside.height() / 2 : look_.radius;
    const QPainterPath edge = rounded(inside, radius);
    if (look_.fillsToEdge) {
        painter.fillPath(rounded(QRectF(rect()), look_.capsule ? height() / 2.0 : radius), fill);
    } else {
        painter.fillPath(edge, fill);
    }
    if (look_.stroke.role == ThemeColor::Role::clear) {
        return;
    }
    const QPen pen(look_.stroke.resolve(pal), 1);
    if (look_.fillsToEdge) {
        painter.strokePath(rounded(inside, radius - 0.5), pen);
    } else {
        painter.setPen(pen);
        painter.drawPath(edge);
    }
}
