#include "theme/IconCache.h"

#include <QColor>

#include "theme/ThemeIcons.h"

QIcon IconCache::icon(const QString& symbol, const QColor& tint, int pixelSize) {
    const QString key = symbol + QLatin1Char('/') + tint.name(QColor::HexArgb) + QLatin1Char('/') +
                        QString::number(pixelSize);
    auto found = icons_.constFind(key);
    if (found == icons_.constEnd()) {
        found = icons_.insert(key, ThemeIcons::icon(symbol, tint, pixelSize));
    }
    return *found;
}
