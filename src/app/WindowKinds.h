#pragma once

#include <QList>

class QWidget;

// Which of the app's top-level windows count as main windows. Floating panels, menus and
// tooltips are panels; a main window is an ordinary top-level window that takes focus.
namespace WindowKinds {

bool isPanel(const QWidget* window);
// The window a tray shows our icon in, where the desktop has no StatusNotifier host.
bool isTrayIconWindow(const QWidget* window);
bool isMainWindow(const QWidget* window);
// Main windows in the application's own window order, shown or not.
QList<QWidget*> mainWindows();
// A main window that is shown and not minimised.
bool isVisibleMainWindow(const QWidget* window);

}  // namespace WindowKinds
