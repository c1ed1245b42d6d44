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

void RoundedBox::paint(QPainter& painter, const QRectF& bounds, const Look& look,
                       const QPalette& palette) {
    const bool dark = look.darkFill && NiveloTheme::paletteScheme(palette) == ColorScheme::dark;
    const QColor fill = (dark ? *look.darkFill : look.fill).resolve(palette);
    if (!look.capsule && look.radius <= 0) {
        painter.fillRect(bounds, fill);
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF inside = bounds.adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = look.capsule ? inside.height() / 2 : look.radius;
    const QPainterPath edge = rounded(inside, radius);
    if (look.fillsToEdge) {
        painter.fillPath(rounded(bounds, look.capsule ? bounds.height() / 2 : radius), fill);
    } else {
        painter.fillPath(edge, fill);
    }
    if (look.stroke.role != ThemeColor::Role::clear) {
        const QPen pen(look.stroke.resolve(palette), 1);
        painter.strokePath(look.fillsToEdge ? rounded(inside, radius - 0.5) : edge, pen);
    }
    painter.restore();
}

void RoundedBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, QRectF(rect()), look_, palette());
}
