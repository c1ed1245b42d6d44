#pragma once

#include <QList>
#include <QPair>

#include "platform/WindowManagerHints.h"

// A window manager a test sets up: with or without a compositing manager.
class SimulatedWindowManagerHints : public WindowManagerHints {
public:
    bool compositing = false;
    // Every window asked for the panel state, once per request.
    QList<quintptr> panels;
    // The full-screen window the user works in, and every window shown over it with it.
    quintptr fullScreenWindow = 0;
    QList<QPair<quintptr, quintptr>> auxiliaries;
    // Windows others cover whole.
    QList<quintptr> covered;

    bool isCompositing() const override { return compositing; }
    void setPanelState(quintptr window) override { panels.append(window); }
    quintptr activeFullScreenWindow() const override { return fullScreenWindow; }
    void setFullScreenAuxiliary(quintptr window, quintptr fullScreenWindow) override {
        auxiliaries.append({window, fullScreenWindow});
    }
    bool isCovered(quintptr window) const override { return covered.contains(window); }
};
