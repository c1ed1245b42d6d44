#pragma once

#include "platform/Screens.h"

// Screens and a pointer a test sets directly; the main one is list[mainIndex].
class SimulatedScreens : public Screens {
public:
    QPoint pointerAt;
    QList<ScreenFrames> list;
    int mainIndex = 0;

    QPoint pointer() const override { return pointerAt; }
    QList<ScreenFrames> screens() const override { return list; }
    std::optional<ScreenFrames> mainScreen() const override {
        if (mainIndex < 0 || mainIndex >= list.size()) {
            return std::nullopt;
        }
        return list.at(mainIndex);
    }
};
