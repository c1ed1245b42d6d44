#pragma once

#include <QFont>
#include <QString>

// A one-line text that fits a width: at its font's pixel size when it fits, else at the
// largest smaller size (down to minimumScale of it) at which it fits, else elided at that
// smallest size. Line breaks count as spaces.
struct FittedLine {
    QFont font;
    QString text;
};

FittedLine fitOneLine(const QString& text, const QFont& font, int width,
                      double minimumScale = 0.82);
