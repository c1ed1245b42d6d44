#pragma once

#include <QHash>
#include <QIcon>
#include <QString>

class QColor;

// Tinted symbols drawn once per symbol, colour and size: a view that sets its icons again on
// every refresh keeps one.
class IconCache {
public:
    QIcon icon(const QString& symbol, const QColor& tint, int pixelSize);

private:
    QHash<QString, QIcon> icons_;
};
