#include "theme/TextFit.h"

#include <QFontMetrics>
#include <cmath>

FittedLine fitOneLine(const QString& text, const QFont& font, int width, double minimumScale) {
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    const int full = font.pixelSize() > 0 ? font.pixelSize() : 13;
    // Never below minimumScale of the size.
    const int smallest = std::max(1, int(std::ceil(full * minimumScale - 1e-9)));
    QFont f = font;
    for (int size = full; size >= smallest; --size) {
        f.setPixelSize(size);
        if (QFontMetrics(f).horizontalAdvance(line) <= width) {
            return {f, line};
        }
    }
    f.setPixelSize(smallest);
    return {f, QFontMetrics(f).elidedText(line, Qt::ElideRight, width)};
}
