#pragma once

#include "platform/Screens.h"

// Screens and a pointer a test sets directly; the first screen is the main one.
class SimulatedScreens : public Screens {
public:
    QPoint pointerAt;
    QList<ScreenFrames> list;

    QPoint pointer() const override { return pointerAt; }
    QList<ScreenFrames> screens() const override { return list; }
    std::optional<ScreenFrames> primary() const override {
        if (list.isEmpty()) {
            return std::nullopt;
        }
        return list.first();
    }
};
