#include "settingswindow/SettingsSidebarIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "theme/ThemeIcons.h"

namespace {

QColor rgb(double r, double g, double b) {
    return QColor::fromRgbF(float(r), float(g), float(b));
}

}  // namespace

std::array<QColor, 2> iconGradient(SettingsPage page) {
    switch (page) {
        case SettingsPage::general:
            return {rgb(0.52, 0.55, 0.60), rgb(0.24, 0.25, 0.28)};
        case SettingsPage::actions:
            return {rgb(0.55, 0.72, 1.0), rgb(0.12, 0.38, 0.94)};
        case SettingsPage::styles:
            return {rgb(1.0, 0.70, 0.28), rgb(0.92, 0.42, 0.08)};
        case SettingsPage::aiReply:
            return {rgb(0.25, 0.82, 0.72), rgb(0.05, 0.48, 0.78)};
        case SettingsPage::quickMenu:
            return {rgb(0.46, 0.54, 1.0), rgb(0.28, 0.20, 0.82)};
        case SettingsPage::clipboard:
            return {rgb(0.62, 0.64, 0.70), rgb(0.34, 0.36, 0.42)};
        case SettingsPage::layout:
            return {rgb(0.20, 0.78, 0.92), rgb(0.04, 0.48, 0.78)};
        case SettingsPage::permissions:
            return {rgb(0.18, 0.68, 1.0), rgb(0.18, 0.36, 0.90)};
        case SettingsPage::shortcuts:
            return {rgb(0.40, 0.82, 0.48), rgb(0.08, 0.52, 0.18)};
        case SettingsPage::updates:
            return {rgb(0.36, 0.75, 1.0), rgb(0.06, 0.42, 0.92)};
    }
    return {Qt::gray, Qt::darkGray};
}

QPixmap SettingsSidebarIcon::pixmap(SettingsPage page, qreal devicePixelRatio) {
    QPixmap out(QSize(kSize, kSize) * devicePixelRatio);
    out.setDevicePixelRatio(devicePixelRatio);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF tile((kSize - kTile) / 2.0, (kSize - kTile) / 2.0 - 1, kTile, kTile);
    QPainterPath shape;
    shape.addRoundedRect(tile, 8, 8);
    // A cheap two-step shadow: black at 0.18 spread over radius 2, one down.
    for (int i = 2; i >= 1; --i) {
        QPainterPath blur;
        blur.addRoundedRect(tile.translated(0, 1).adjusted(-i / 2.0, -i / 2.0, i / 2.0, i / 2.0),
                            8 + i / 2.0, 8 + i / 2.0);
        painter.fillPath(blur, QColor::fromRgbF(0, 0, 0, 0.09f));
    }
    const auto colors = iconGradient(page);
    QLinearGradient gradient(tile.topLeft(), tile.bottomRight());
    gradient.setColorAt(0, colors[0]);
    gradient.setColorAt(1, colors[1]);
    painter.fillPath(shape, gradient);
    const int symbolSize = 14;
    const QPixmap symbol =
        ThemeIcons::pixmap(symbolName(page), Qt::white, symbolSize, devicePixelRatio);
    painter.drawPixmap(
        QPointF(tile.center().x() - symbolSize / 2.0, tile.center().y() - symbolSize / 2.0),
        symbol);
    return out;
}
