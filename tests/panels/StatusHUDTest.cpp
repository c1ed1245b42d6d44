#include <QFontMetrics>

#include "panels/HudFixture.h"
#include "theme/TextFit.h"

using Role = NiveloTheme::Role;

TEST_F(HudTest, IdleBeforeAnythingElseMakesNoWindow) {
    hud.attach(&state);
    VirtualClock::flushEvents();
    EXPECT_EQ(hud.panel(), nullptr);
}

TEST_F(HudTest, ShowsEachStatusAndHidesWhenTheStateReturnsToIdle) {
    struct Case {
        ActionStatus status;
        StatusHUDModel model;
        qint64 hiddenAfterMs;  // 0: stays
    };
    const Case cases[] = {
        {ActionStatus::running("Reading selection"),
         {"progress.indicator", Role::blue, "Reading selection"},
         0},
        {ActionStatus::done("Pasted"), {"checkmark.circle.fill", Role::green, "Pasted"}, 900},
        {ActionStatus::failed("Nothing to paste."),
         {"exclamationmark.triangle.fill", Role::orange, "Nothing to paste."},
         1300},
    };
    hud.attach(&state);
    for (const Case& c : cases) {
        const std::string name = c.model.text.toStdString();
        state.setStatus(c.status);
        VirtualClock::flushEvents();
        ASSERT_TRUE(hudVisible()) << name;
        EXPECT_EQ(hud.view()->model(), c.model) << name;
        EXPECT_EQ(hudText(), c.model.text) << name;
        if (c.hiddenAfterMs == 0) {
            // A running status never hides by itself.
            desktop.clock.advance(60000);
            EXPECT_TRUE(hudVisible()) << name;
            continue;
        }
        desktop.clock.advance(c.hiddenAfterMs - 1);
        EXPECT_TRUE(hudVisible()) << name;
        desktop.clock.advance(1);
        EXPECT_FALSE(hudVisible()) << name;
    }
    EXPECT_EQ(statusHUDModel(ActionStatus::idle()),
              (StatusHUDModel{"checkmark.circle", Role::secondaryLabel, "Ready"}));
}

TEST_F(HudTest, IsCentredAboveTheBottomOfTheMainScreenOfTheMoment) {
    hud.attach(&state);
    state.setStatus(ActionStatus::running("Fix running"));
    VirtualClock::flushEvents();
    ASSERT_TRUE(hudVisible());
    const QRect g = hud.panel()->geometry();
    EXPECT_EQ(g.width(), 260);
    EXPECT_GE(g.height(), 72);
    EXPECT_EQ(g.center().x(), 800 - 1);
    EXPECT_EQ(g.y() + g.height(), 860 - 82);
    // Another main screen: the next status shows there.
    screens.list = {{QRect(1600, 0, 1000, 700), QRect(1600, 20, 1000, 650)}};
    state.setStatus(ActionStatus::running("Pasting"));
    VirtualClock::flushEvents();
    EXPECT_EQ(hud.panel()->x(), 1600 + 500 - 130);
    EXPECT_EQ(hud.panel()->geometry().bottom() + 1, 670 - 82);
    // It takes no keyboard and lies on every workspace above the rest.
    EXPECT_TRUE(activation.requests.isEmpty());
    EXPECT_EQ(hud.panel()->kind(), PanelWindow::Kind::status);
}

TEST_F(HudTest, RestylesWithItsNextStatusOnly) {
    hud.attach(&state);
    state.setStatus(ActionStatus::running("One"));
    VirtualClock::flushEvents();
    EXPECT_FALSE(hud.panel()->surface()->recipe().darkPalette);
    state.editSettings([](NiveloSettings& s) { s.appearanceMode = AppearanceMode::liquidMint; });
    VirtualClock::flushEvents();
    EXPECT_FALSE(hud.panel()->surface()->recipe().darkPalette);
    state.setStatus(ActionStatus::running("Two"));
    VirtualClock::flushEvents();
    EXPECT_TRUE(hud.panel()->surface()->recipe().darkPalette);
}

TEST_F(HudTest, WithoutAStateItShowsInTheDefaultLookAndTheSystemsSurfaceMode) {
    appearance.reduce = true;
    hud.show(ActionStatus::failed("Backend URL is invalid."));
    ASSERT_TRUE(hudVisible());
    // Solid: the stronger shadow; system: no tint glow.
    EXPECT_NEAR(hud.panel()->surface()->recipe().shadow->color.alphaF(), 0.30, 0.01);
    EXPECT_FALSE(hud.panel()->surface()->recipe().tintGlow);
}

TEST_F(HudTest, LongTextsShrinkNoFurtherThanTheirLimitThenElide) {
    hud.attach(&state);
    struct Case {
        QString text;
        bool elided;
    };
    const Case cases[] = {
        {"Pasted", false},
        {"Reading selection", false},
        {"The backend did not answer in time; try again in a minute or check the address", true},
    };
    for (const Case& c : cases) {
        state.setStatus(ActionStatus::running(c.text));
        VirtualClock::flushEvents();
        const QLabel* label = hud.view()->textLabel();
        const int size = label->font().pixelSize();
        EXPECT_GE(size, 0.82 * 14) << c.text.toStdString();
        EXPECT_LE(size, 14);
        EXPECT_EQ(label->text() != c.text, c.elided) << label->text().toStdString();
        // One line that fits the room beside the symbol.
        EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width() + 1);
        EXPECT_FALSE(label->text().contains('\n'));
    }
    state.setStatus(ActionStatus::running("Pasted"));
    VirtualClock::flushEvents();
    EXPECT_EQ(hud.view()->textLabel()->font().pixelSize(), 14);
}

TEST(TextFit, KeepsAFittingSizeShrinksOnlyAsFarAsNeededThenElides) {
    QFont font;
    font.setPixelSize(14);
    const QString text = "Reading selection";
    const int full = QFontMetrics(font).horizontalAdvance(text);
    EXPECT_EQ(fitOneLine(text, font, full).font.pixelSize(), 14);
    QFont f13 = font;
    f13.setPixelSize(13);
    const int at13 = QFontMetrics(f13).horizontalAdvance(text);
    if (at13 < full) {
        EXPECT_EQ(fitOneLine(text, font, at13).font.pixelSize(), 13);
    }
    const FittedLine tight = fitOneLine(text + "\n" + text, font, 60);
    EXPECT_EQ(tight.font.pixelSize(), 12);  // ceil(14 × 0.82)
    EXPECT_TRUE(tight.text.endsWith(QChar(0x2026)));
    EXPECT_FALSE(tight.text.contains('\n'));
}
