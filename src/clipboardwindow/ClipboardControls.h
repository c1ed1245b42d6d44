#pragma once

#include <QColor>
#include <QString>

class QToolButton;
class QWidget;

// What the clipboard window's parts draw with.
namespace clipboardControls {

// Buttons read "&" as a mnemonic marker: a text shown on one keeps its "&".
QString escapedMnemonic(QString text);
QColor primaryOf(const QWidget* widget);
QColor redOf();
// A flat symbol button that takes no focus, named for assistive tools.
QToolButton* iconButton(QWidget* parent, const QString& name);
// A new style sheet restyles the widget: set only when it changed.
void setSheet(QWidget* widget, const QString& sheet);
QString rgba(const QColor& color);

}  // namespace clipboardControls
