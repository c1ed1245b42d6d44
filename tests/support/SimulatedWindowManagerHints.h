#pragma once

#include <QList>

#include "platform/WindowManagerHints.h"

// A window manager a test sets up: with or without a compositing manager.
class SimulatedWindowManagerHints : public WindowManagerHints {
public:
    bool compositing = false;
    // Every window asked for the panel state, once per request.
    QList<quintptr> panels;

    bool isCompositing() const override { return compositing; }
    void setPanelState(quintptr window) override { panels.append(window); }
};
