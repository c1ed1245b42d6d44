#include "theme/NiveloStyle.h"

#include <cmath>

#include <QPainter>
#include <QStyleOption>

NiveloStyle::NiveloStyle() = default;

QColor NiveloStyle::indicatorOutline(const QPalette& palette) {
    // 60 % of the way from the window to the text colour: mid-grey on either scheme.
    const QColor window = palette.color(QPalette::Window);
    const QColor text = palette.color(QPalette::WindowText);
    const double t = 0.6 * text.alphaF();
    const auto mix = [t](int from, int to) { return int(std::lround(from + (to - from) * t)); };
    return QColor(mix(window.red(), text.red()), mix(window.green(), text.green()),
                  mix(window.blue(), text.blue()));
}

void NiveloStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                QPainter* painter, const QWidget* widget) const {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    const bool keyboardFocus =
        option->state.testFlag(State_HasFocus) && option->state.testFlag(State_KeyboardFocusChange);
    if (element != PE_IndicatorCheckBox || keyboardFocus) {
        return;
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(indicatorOutline(option->palette), 1));
    painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
    painter->restore();
}

int NiveloStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                           QStyleHintReturn* returnData) const {
    if (hint == SH_Menu_Scrollable) {
        return 1;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
