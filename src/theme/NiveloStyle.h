#pragma once

#include <QProxyStyle>

// The desktop's widget style with outlines that stand out: an unchecked box's frame is drawn
// between the text and the window colour, at least 3:1 against a light or a dark window. A
// menu taller than the screen scrolls as one column rather than wrapping into several.
class NiveloStyle : public QProxyStyle {
    Q_OBJECT
public:
    NiveloStyle();

    // The frame of a check box in that palette.
    static QColor indicatorOutline(const QPalette& palette);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};
