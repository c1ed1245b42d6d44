#include "settingswindow/SettingsBlock.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include "theme/NiveloTheme.h"

using NiveloTheme::withOpacity;

namespace {

QPainterPath rounded(const QRectF& r, double radius) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

bool darkScheme(const QWidget& w) {
    return w.palette().color(QPalette::Window).lightness() < 128;
}

}  // namespace

SettingsBlock::SettingsBlock(QWidget* parent) : QWidget(parent) {
    setMaximumWidth(640);
    setAccessibleName(QStringLiteral("Settings group"));
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(14, 14, 14, 14);
    layout_->setSpacing(0);
}

void SettingsBlock::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF outer(rect());
    painter.fillPath(rounded(outer, 18), darkScheme(*this) ? withOpacity(Qt::white, 0.055)
                                                           : withOpacity(Qt::black, 0.045));
    const QColor primary = palette().color(QPalette::WindowText);
    painter.strokePath(rounded(outer.adjusted(0.5, 0.5, -0.5, -0.5), 17.5),
                       QPen(withOpacity(primary, 0.08), 1));
}

SettingsSection::SettingsSection(bool bordered, QWidget* parent)
    : QWidget(parent), bordered_(bordered) {
    setAccessibleName(QStringLiteral("Settings section"));
}

void SettingsSection::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF outer(rect());
    const QColor primary = palette().color(QPalette::WindowText);
    painter.fillPath(rounded(outer, 12), withOpacity(primary, 0.055));
    if (bordered_) {
        painter.strokePath(rounded(outer.adjusted(0.5, 0.5, -0.5, -0.5), 11.5),
                           QPen(withOpacity(primary, 0.08), 1));
    }
}

SettingsDivider::SettingsDivider(QWidget* parent) : QWidget(parent) {
    setFixedHeight(1);
    setAccessibleName(QStringLiteral("Separator"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SettingsDivider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), withOpacity(palette().color(QPalette::WindowText), 0.14));
}
