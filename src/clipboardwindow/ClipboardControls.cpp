#include "clipboardwindow/ClipboardControls.h"

#include <QToolButton>

#include "theme/NiveloTheme.h"

namespace clipboardControls {

QString escapedMnemonic(QString text) {
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

QColor primaryOf(const QWidget* widget) {
    return widget->palette().color(QPalette::WindowText);
}

QColor redOf() {
    return NiveloTheme::color(NiveloTheme::Role::red, NiveloTheme::environmentScheme());
}

QToolButton* iconButton(QWidget* parent, const QString& name) {
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAccessibleName(name);
    button->setIconSize(QSize(14, 14));
    return button;
}

void setSheet(QWidget* widget, const QString& sheet) {
    if (widget->styleSheet() != sheet) {
        widget->setStyleSheet(sheet);
    }
}

QString rgba(const QColor& color) {
    return color.name(QColor::HexArgb);
}

}  // namespace clipboardControls
