#include "panels/QuickPanelController.h"

#include "state/NiveloAppState.h"

QuickPanelController::QuickPanelController(NiveloAppState* appState, QObject* parent)
    : QObject(parent), appState_(appState) {}

QuickPanelController::~QuickPanelController() = default;

void QuickPanelController::show(NiveloAppState&) {}

void QuickPanelController::toggle(NiveloAppState&) {}

void QuickPanelController::show() {
    if (appState_) {
        show(*appState_);
    }
}

void QuickPanelController::toggle() {
    if (appState_) {
        toggle(*appState_);
    }
}
