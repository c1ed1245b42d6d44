#include "panels/QuickPanelController.h"

QuickPanelController::QuickPanelController(QObject* parent) : QObject(parent) {}

void QuickPanelController::show(NiveloAppState&) {}

void QuickPanelController::toggle(NiveloAppState&) {}
