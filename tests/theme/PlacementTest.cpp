#include <gtest/gtest.h>

#include "support/SimulatedScreens.h"
#include "theme/Placement.h"

namespace {

// Two screens side by side; each reserves a 30 px bar at the top and a 50 px dock below.
SimulatedScreens twoScreens(QPoint pointer) {
    SimulatedScreens screens;
    screens.pointerAt = pointer;
    screens.list = {{QRect(0, 0, 1920, 1080), QRect(0, 30, 1920, 1000)},
                    {QRect(1920, 0, 1280, 1024), QRect(1920, 30, 1280, 944)}};
    return screens;
}

struct Case {
    const char* name;
    QPoint pointer;
    QSize size;
    QPoint nearMouse;
    QPoint nearButton;
};

}  // namespace

TEST(Placement, KeepsPanelsInsideTheVisibleFrameUnderThePointer) {
    const Case cases[] = {
        {"middle of the main screen", {500, 500}, {340, 400}, {514, 482}, {512, 438}},
        // Right and bottom edges of the main visible frame: 16 (12) px inside.
        {"bottom-right corner",
         {1919, 1029},
         {340, 400},
         {1920 - 340 - 16, 1030 - 400 - 16},
         {1920 - 54 - 12, 1030 - 54 - 12}},
        {"second screen", {2000, 40}, {340, 400}, {2014, 30 + 16}, {2012, 30 + 12}},
        // Left of everything: the main screen's frame.
        {"off every screen", {-300, 500}, {340, 400}, {16, 482}, {12, 438}},
    };
    for (const Case& c : cases) {
        SimulatedScreens screens = twoScreens(c.pointer);
        EXPECT_EQ(Placement::nearMouse(screens, c.size), c.nearMouse) << c.name;
        EXPECT_EQ(Placement::nearButton(screens, {54, 54}), c.nearButton) << c.name;
    }
}

TEST(Placement, ButtonJustBelowTheFrameTopStaysTwelveInside) {
    SimulatedScreens screens = twoScreens({700, 35});
    EXPECT_EQ(Placement::nearButton(screens, {54, 54}).y(), 30 + 12);
}

TEST(Placement, TooSmallAFrameLetsTheRightAndTopMarginsWin) {
    SimulatedScreens screens;
    screens.pointerAt = {50, 50};
    screens.list = {{QRect(0, 0, 200, 150), QRect(0, 0, 200, 150)}};
    EXPECT_EQ(Placement::nearMouse(screens, {300, 300}), QPoint(200 - 300 - 16, 16));
}

TEST(Placement, HudSitsCentredAboveTheMainScreensBottom) {
    SimulatedScreens screens = twoScreens({2500, 500});
    EXPECT_EQ(Placement::statusHud(screens, {260, 82}), QPoint(960 - 130, 1030 - 82 - 82));
    // No screen at all: against an empty rectangle at the origin.
    screens.list.clear();
    EXPECT_EQ(Placement::statusHud(screens, {260, 82}), QPoint(-130, -164));
    EXPECT_EQ(Placement::nearMouse(screens, {100, 100}), QPoint(-116, 16));
}
