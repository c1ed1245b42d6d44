#include "theme/SampleLetter.h"

#include <QPainter>
#include <algorithm>

#include "theme/NiveloTheme.h"
#include "theme/SpringAnimation.h"

SampleLetter::SampleLetter(QWidget* parent)
    : QWidget(parent),
      spring_(new SpringAnimation({.response = 0.16, .dampingFraction = 0.85}, this)) {
    spring_->setObjectName(QStringLiteral("sampleLetterSpring"));
    setFixedSize(25, 22);
    setAccessibleName(QStringLiteral("T"));
    connect(spring_, &SpringAnimation::valueChanged, this, qOverload<>(&QWidget::update));
}

void SampleLetter::setTarget(int pixels) {
    if (pixels == target_) {
        return;
    }
    const bool first = target_ == 0 || !isVisible();
    target_ = pixels;
    if (first) {
        spring_->jumpTo(pixels);
    } else {
        spring_->setTarget(pixels);
    }
}

double SampleLetter::drawnSize() const {
    return spring_->value();
}

void SampleLetter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // Font sizes are whole pixels: the letter is set at its target size and scaled about its
    // centre to the size of the moment.
    const int pixels = std::max(1, target_);
    QFont font = NiveloTheme::font(NiveloTheme::FontRole::body);
    font.setBold(true);
    font.setPixelSize(pixels);
    painter.setFont(font);
    painter.setPen(palette().color(QPalette::WindowText));
    const double scale = std::max(drawnSize(), 1.0) / pixels;
    const QPointF centre = QRectF(rect()).center();
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.translate(-centre);
    painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("T"));
}
