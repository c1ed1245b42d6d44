#include "settingswindow/SwitchCheckBox.h"

#include <QPainter>
#include <QPainterPath>

#include "theme/NiveloTheme.h"

namespace {

constexpr int kGap = 6;

}  // namespace

SwitchCheckBox::SwitchCheckBox(QWidget* parent) : QCheckBox(parent) {
    setCursor(Qt::PointingHandCursor);
}

QSize SwitchCheckBox::sizeHint() const {
    const QFontMetrics metrics(font());
    const int textWidth = text().isEmpty() ? 0 : kGap + metrics.horizontalAdvance(text());
    return {kTrackWidth + textWidth + 2, std::max(kTrackHeight, metrics.height()) + 2};
}

void SwitchCheckBox::setLabel(const QString& text) {
    setText(text);
    setAccessibleName(text);
}

bool SwitchCheckBox::hitButton(const QPoint& pos) const {
    return rect().contains(pos);
}

void SwitchCheckBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink = palette().color(QPalette::WindowText);
    const QRectF track(1, (height() - kTrackHeight) / 2.0, kTrackWidth, kTrackHeight);
    const double radius = kTrackHeight / 2.0;
    QPainterPath path;
    path.addRoundedRect(track, radius, radius);
    const bool on = isChecked();
    QColor fill = on ? palette().color(QPalette::Highlight) : NiveloTheme::withOpacity(ink, 0.22);
    if (!isEnabled()) {
        fill = NiveloTheme::withOpacity(fill, 0.5);
    }
    painter.fillPath(path, fill);
    if (hasFocus()) {
        painter.strokePath(
            path, QPen(NiveloTheme::withOpacity(palette().color(QPalette::Highlight), 0.6), 2));
    }
    const double knob = kTrackHeight - 4;
    const double x = on ? track.right() - 2 - knob : track.left() + 2;
    painter.setPen(QPen(QColor(0, 0, 0, 40), 0.5));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
    if (!text().isEmpty()) {
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::WindowText));
        const QRectF textRect(track.right() + kGap, 0, width() - track.right() - kGap, height());
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text());
    }
}
