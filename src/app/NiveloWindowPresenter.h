#pragma once

#include <functional>

// Brings the main window forward, or opens it when there is none.
namespace NiveloWindowPresenter {

// openWindow opens the main window; without one, only an existing window can be shown.
void showMainWindow(std::function<void()> openWindow = {});

// Shows, raises and activates the first main window; false when there is none.
bool showExistingMainWindow();

}  // namespace NiveloWindowPresenter
