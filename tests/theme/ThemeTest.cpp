#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include "support/SimulatedScreens.h"
#include "theme/FloatingSurface.h"
#include "theme/NiveloTheme.h"
#include "theme/Placement.h"
#include "theme/ThemeIcons.h"

// A liquid mode is dark whatever the desktop shows; the system mode follows the desktop.
TEST(Theme, SurfacesFollowTheSchemeTheModeDrawsIn) {
    const auto wash = [](AppearanceMode mode, ColorScheme scheme) {
        return NiveloTheme::glassWash(mode, SurfaceMode::translucent, scheme).lightness();
    };
    EXPECT_EQ(wash(AppearanceMode::liquidSky, ColorScheme::light), 0);
    EXPECT_EQ(wash(AppearanceMode::system, ColorScheme::dark), 0);
    EXPECT_EQ(wash(AppearanceMode::system, ColorScheme::light), 255);

    const auto recipe = [](AppearanceMode mode, SurfaceMode surface, bool shadow = true) {
        return floatingSurfaceRecipe(mode, surface, 22, ColorScheme::light, shadow);
    };
    const auto solid = recipe(AppearanceMode::liquidSky, SurfaceMode::solid);
    const auto translucent = recipe(AppearanceMode::liquidSky, SurfaceMode::translucent);
    ASSERT_TRUE(solid.shadow && translucent.shadow && solid.darkPalette);
    EXPECT_GT(solid.shadow->color.alphaF(), translucent.shadow->color.alphaF());
    EXPECT_FALSE(recipe(AppearanceMode::liquidSky, SurfaceMode::solid, false).shadow);
    const auto system = recipe(AppearanceMode::system, SurfaceMode::translucent);
    EXPECT_FALSE(system.tintGlow || system.darkPalette);
}

TEST(Theme, EveryIconRowResolvesToAVendoredFileAndIsDrawnInItsTint) {
    ASSERT_TRUE(QFile::exists(":/icons/LICENSE"));
    for (const QString& symbol : ThemeIcons::symbols()) {
        const QString path = ThemeIcons::filePath(symbol);
        EXPECT_TRUE(QFile::exists(path)) << symbol.toStdString();
        EXPECT_EQ(path.contains("/fill/"), symbol.endsWith(".fill")) << symbol.toStdString();
    }
    EXPECT_TRUE(ThemeIcons::pixmap("no.such.symbol", Qt::red, 16).isNull());
    const QImage image = ThemeIcons::pixmap("checkmark.circle.fill", Qt::green, 32).toImage();
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            drawn += c.alpha() > 250 && c.rgb() == QColor(Qt::green).rgb();
        }
    }
    EXPECT_GT(drawn, 200);
}

// Two screens side by side; each reserves a 30 px bar at the top and a 50 px dock below.
TEST(Placement, KeepsPanelsInsideTheVisibleFrameUnderThePointer) {
    SimulatedScreens screens;
    screens.list = {{QRect(0, 0, 1920, 1080), QRect(0, 30, 1920, 1000)},
                    {QRect(1920, 0, 1280, 1024), QRect(1920, 30, 1280, 944)}};
    const struct {
        QPoint pointer, nearMouse, nearButton;
    } cases[] = {
        {{500, 500}, {514, 482}, {512, 438}},
        // Right and bottom edges: 16 (12) px inside.
        {{1919, 1029}, {1920 - 340 - 16, 1030 - 400 - 16}, {1920 - 54 - 12, 1030 - 54 - 12}},
        {{2000, 40}, {2014, 30 + 16}, {2012, 30 + 12}},
        {{-300, 500}, {16, 482}, {12, 438}},  // off every screen: the main one
    };
    for (const auto& c : cases) {
        screens.pointerAt = c.pointer;
        EXPECT_EQ(Placement::nearMouse(screens, {340, 400}), c.nearMouse) << c.pointer.x();
        EXPECT_EQ(Placement::nearButton(screens, {54, 54}), c.nearButton) << c.pointer.x();
    }
    EXPECT_EQ(Placement::statusHud(screens, {260, 82}), QPoint(960 - 130, 1030 - 82 - 82));
    // Too small a frame: the right and top margins win.
    screens.list = {{QRect(0, 0, 200, 150), QRect(0, 0, 200, 150)}};
    EXPECT_EQ(Placement::nearMouse(screens, {300, 300}), QPoint(200 - 300 - 16, 16));
    screens.list.clear();
    EXPECT_EQ(Placement::statusHud(screens, {260, 82}), QPoint(-130, -164));
}
