#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QImage>

#include "theme/FloatingSurface.h"
#include "theme/NiveloTheme.h"
#include "theme/ThemeIcons.h"

namespace {

// White or black with an opacity, as the colour tables write them.
QColor white(double opacity) {
    return QColor::fromRgbF(1, 1, 1, float(opacity));
}
QColor black(double opacity) {
    return QColor::fromRgbF(0, 0, 0, float(opacity));
}

void expectColor(const QColor& actual, const QColor& expected, const char* what) {
    EXPECT_NEAR(actual.redF(), expected.redF(), 0.002) << what;
    EXPECT_NEAR(actual.greenF(), expected.greenF(), 0.002) << what;
    EXPECT_NEAR(actual.blueF(), expected.blueF(), 0.002) << what;
    EXPECT_NEAR(actual.alphaF(), expected.alphaF(), 0.002) << what;
}

}  // namespace

TEST(Theme, GlassWashFollowsTheSchemeTheModeDrawsIn) {
    struct Case {
        AppearanceMode mode;
        ColorScheme environment;
        QColor translucent;
        QColor solid;
    };
    const Case cases[] = {
        // A liquid mode is dark whatever the desktop shows.
        {AppearanceMode::liquidSky, ColorScheme::light, black(0.24), black(0.36)},
        {AppearanceMode::liquidNoir, ColorScheme::dark, black(0.24), black(0.36)},
        {AppearanceMode::system, ColorScheme::light, white(0.18), white(0.34)},
        {AppearanceMode::system, ColorScheme::dark, black(0.24), black(0.36)},
    };
    for (const Case& c : cases) {
        const auto name = rawValue(c.mode).toStdString();
        expectColor(NiveloTheme::glassWash(c.mode, SurfaceMode::translucent, c.environment),
                    c.translucent, name.c_str());
        expectColor(NiveloTheme::glassWash(c.mode, SurfaceMode::solid, c.environment), c.solid,
                    name.c_str());
    }
}

TEST(Theme, SystemModeFollowsThePaletteAndHasNoTint) {
    EXPECT_EQ(NiveloTheme::accentColor(AppearanceMode::system),
              QGuiApplication::palette().color(QPalette::Highlight));
    EXPECT_EQ(NiveloTheme::surfaceTint(AppearanceMode::system).alpha(), 0);
    for (const QColor& c : NiveloTheme::backgroundColors(AppearanceMode::system)) {
        EXPECT_EQ(c.alpha(), 0);
    }
    expectColor(NiveloTheme::accentColor(AppearanceMode::liquidRose),
                QColor::fromRgbF(1.0f, 0.38f, 0.62f), "rose accent");
    expectColor(NiveloTheme::floatingBorderColor(AppearanceMode::system, SurfaceMode::solid),
                white(0.10), "system solid border");
    expectColor(NiveloTheme::floatingBorderColor(AppearanceMode::liquidMint, SurfaceMode::solid),
                white(0.12), "liquid solid border");
}

TEST(Theme, SurfaceGlowsEndByCornerRadius) {
    const struct {
        double radius;
        double highlightEnd;
        double tintEnd;
    } cases[] = {{16, 160, 224}, {22, 220, 308}, {10, 120, 180}};
    for (const auto& c : cases) {
        const auto r = floatingSurfaceRecipe(AppearanceMode::liquidViolet, SurfaceMode::solid,
                                             c.radius, ColorScheme::light);
        EXPECT_DOUBLE_EQ(r.highlightGlow.endRadius, c.highlightEnd) << c.radius;
        ASSERT_TRUE(r.tintGlow);
        EXPECT_DOUBLE_EQ(r.tintGlow->endRadius, c.tintEnd) << c.radius;
    }
}

TEST(Theme, SolidSurfacesHaveTheStrongerShadowAndDarkerSheen) {
    const auto solid = floatingSurfaceRecipe(AppearanceMode::liquidSky, SurfaceMode::solid, 16,
                                             ColorScheme::light);
    const auto translucent = floatingSurfaceRecipe(
        AppearanceMode::liquidSky, SurfaceMode::translucent, 16, ColorScheme::light);
    ASSERT_TRUE(solid.shadow && translucent.shadow);
    expectColor(solid.shadow->color, black(0.30), "solid shadow");
    expectColor(translucent.shadow->color, black(0.22), "translucent shadow");
    EXPECT_EQ(solid.shadow->blurRadius, 26);
    EXPECT_EQ(solid.shadow->offset, QPointF(0, 16));
    expectColor(solid.sheen[2], black(0.22), "solid sheen");
    expectColor(translucent.sheen[2], black(0.16), "translucent sheen");
    // The tint glow: tint × 0.055 (solid) or 0.032 (translucent), × the accent strength 0.9.
    EXPECT_NEAR(solid.tintGlow->color.alphaF(), 0.055 * 0.9, 0.002);
    EXPECT_NEAR(translucent.tintGlow->color.alphaF(), 0.032 * 0.9, 0.002);
    expectColor(solid.border, white(0.12 * 0.55), "solid border");
    EXPECT_TRUE(solid.darkPalette);
    EXPECT_FALSE(floatingSurfaceRecipe(AppearanceMode::liquidSky, SurfaceMode::solid, 16,
                                       ColorScheme::light, false)
                     .shadow);
}

TEST(Theme, SystemSurfaceHasNoTintGlowNorDarkPalette) {
    const auto r = floatingSurfaceRecipe(AppearanceMode::system, SurfaceMode::translucent, 16,
                                         ColorScheme::light);
    EXPECT_FALSE(r.tintGlow);
    EXPECT_FALSE(r.darkPalette);
    EXPECT_EQ(r.scheme, ColorScheme::light);
    expectColor(r.wash, white(0.18), "system wash");
}

TEST(Theme, EveryIconRowResolvesToAVendoredFileAndIsDrawnInItsTint) {
    ASSERT_TRUE(QFile::exists(":/icons/LICENSE"));
    for (const QString& symbol : ThemeIcons::symbols()) {
        const QString path = ThemeIcons::filePath(symbol);
        EXPECT_TRUE(QFile::exists(path)) << symbol.toStdString() << " " << path.toStdString();
        EXPECT_EQ(path.contains("/fill/"), symbol.endsWith(".fill")) << symbol.toStdString();
    }
    EXPECT_TRUE(ThemeIcons::filePath("no.such.symbol").isEmpty());
    EXPECT_TRUE(ThemeIcons::pixmap("no.such.symbol", Qt::red, 16).isNull());

    // A filled check mark: its middle is drawn, and only in the tint.
    const QImage image =
        ThemeIcons::pixmap("checkmark.circle.fill", QColor(0, 200, 0), 32).toImage();
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() > 250) {
                ++drawn;
                EXPECT_EQ(c.rgb(), QColor(0, 200, 0).rgb());
            }
        }
    }
    EXPECT_GT(drawn, 200);
}
