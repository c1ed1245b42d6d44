#include "panels/NiveloMenuBarIcon.h"

#include <QFont>
#include <QPoint>
#include <cmath>

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include "theme/NiveloTheme.h"

namespace {

constexpr double kKeyWidth = 1.9;
constexpr double kKeyHeight = 1.32;
constexpr double kKeyRadius = 0.34;
constexpr double kPitch = 2.48;

void drawKey(QPainter& painter, const QRectF& rect) {
    QPainterPath path;
    path.addRoundedRect(rect, kKeyRadius, kKeyRadius);
    painter.fillPath(path, painter.brush());
}

void drawCenteredText(QPainter& painter, const QString& text, const QRectF& rect) {
    QFont font;
    font.setPixelSize(9);
    font.setWeight(QFont::Black);
    font.setLetterSpacing(QFont::AbsoluteSpacing, -0.45);
    painter.setFont(font);
    const double height = QFontMetricsF(font).height();
    // Centred on the rectangle's middle, 0.15 lower.
    const QRectF line(rect.left(), rect.center().y() - height * 0.5 + 0.15, rect.width(), height);
    painter.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter, text);
}

// Rows from the top: the upper keys at 10.68, the lower at 12.53, the space bar at 14.47.
void drawKeyboard(QPainter& painter) {
    for (int i = 0; i < 5; ++i) {
        drawKey(painter, QRectF(3.5 + i * kPitch, 10.68, kKeyWidth, kKeyHeight));
    }
    for (int i = 0; i < 4; ++i) {
        drawKey(painter, QRectF(4.55 + i * kPitch, 12.53, kKeyWidth, kKeyHeight));
    }
    drawKey(painter, QRectF(4.7, 14.47, 8.6, 1.28));
}

}  // namespace

QImage NiveloMenuBarIcon::makeImage(const QColor& color, qreal scale) {
    const int pixels = qRound(kSize * scale);
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(scale);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(color);
    painter.setBrush(color);
    drawCenteredText(painter, QStringLiteral("AI"), QRectF(1.2, 1.1, 15.6, 8.8));
    drawKeyboard(painter);
    return image;
}

QIcon NiveloMenuBarIcon::makeIcon(const QColor& color) {
    QIcon icon;
    for (const qreal scale : {1.0, 2.0, 3.0}) {
        icon.addPixmap(QPixmap::fromImage(makeImage(color, scale)));
    }
    icon.setIsMask(true);
    return icon;
}

std::optional<QColor> NiveloMenuBarIcon::panelColor(const QImage& square) {
    if (square.width() < 4 || square.height() < 4) {
        return std::nullopt;
    }
    const QImage image = square.convertToFormat(QImage::Format_RGB32);
    const int right = image.width() - 2;
    const int bottom = image.height() - 2;
    double red = 0;
    double green = 0;
    double blue = 0;
    int count = 0;
    for (const QPoint corner :
         {QPoint(0, 0), QPoint(right, 0), QPoint(0, bottom), QPoint(right, bottom)}) {
        for (int dy = 0; dy < 2; ++dy) {
            for (int dx = 0; dx < 2; ++dx) {
                const QColor c = image.pixelColor(corner.x() + dx, corner.y() + dy);
                red += c.redF();
                green += c.greenF();
                blue += c.blueF();
                ++count;
            }
        }
    }
    return QColor::fromRgbF(float(red / count), float(green / count), float(blue / count));
}

QColor NiveloMenuBarIcon::glyphColorOn(const QColor& panel) {
    const QColor white(Qt::white);
    const QColor black(Qt::black);
    return NiveloTheme::contrastRatio(white, panel) >= NiveloTheme::contrastRatio(black, panel)
               ? white
               : black;
}
