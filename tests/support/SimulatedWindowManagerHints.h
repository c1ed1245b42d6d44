#pragma once

#include <QList>

#include "platform/WindowManagerHints.h"

// A window manager a test sets up: with or without a compositing manager.
class SimulatedWindowManagerHints : public WindowManagerHints {
public:
    bool compositing = false;
    QList<quintptr> onAllWorkspaces;

    bool isCompositing() const override { return compositing; }
    void setOnAllWorkspaces(quintptr window) override { onAllWorkspaces.append(window); }
};
