#pragma once

#include <QColor>
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QString>

// The symbols the interface names ("bolt.fill", "xmark", ...), drawn from the vendored
// Phosphor icons (resources/icons): a name ending in ".fill" takes the filled weight. Icons
// are tinted when drawn.
namespace ThemeIcons {

// The resource path of a symbol's file; empty for a symbol the table does not know.
QString filePath(const QString& symbol);
// Every symbol of the table.
QList<QString> symbols();
// The symbol in a square of pixelSize logical pixels, in one colour; a null pixmap for an
// unknown symbol.
QPixmap pixmap(const QString& symbol, const QColor& tint, int pixelSize,
               qreal devicePixelRatio = 1.0);
QIcon icon(const QString& symbol, const QColor& tint, int pixelSize);

}  // namespace ThemeIcons
