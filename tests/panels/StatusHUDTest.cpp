#include <QFontMetrics>
#include <QLabel>

#include "panels/StatusHUD.h"
#include "panels/StatusHUDController.h"
#include "state/StateFixture.h"
#include "support/NamedPart.h"
#include "support/SimulatedScreens.h"
#include "support/SimulatedWindowActivation.h"
#include "support/SimulatedWindowManagerHints.h"

using Role = NiveloTheme::Role;

// The application state beside a status HUD over one simulated screen.
struct HudTest : StateTest {
    SimulatedScreens screens;
    SimulatedWindowActivation activation;
    SimulatedWindowManagerHints hints;
    StatusHUDController hud{{screens, appearance, {&activation, &hints}}};

    void SetUp() override {
        StateTest::SetUp();
        makeState();
        screens.list = {{QRect(0, 0, 1600, 900), QRect(0, 0, 1600, 860)}};
        hud.attach(state.get());
        VirtualClock::flushEvents();
    }
    void show(const ActionStatus& status) { state->setStatus(status), VirtualClock::flushEvents(); }
    bool hudVisible() const { return hud.panel() && hud.panel()->isVisible(); }
};

TEST_F(HudTest, ShowsEachStatusAndHidesAfterItsTime) {
    EXPECT_EQ(hud.panel(), nullptr);  // idle makes no window
    const struct {
        ActionStatus status;
        StatusHUDModel model;
        qint64 hiddenAfterMs;  // 0: stays
    } cases[] = {
        {ActionStatus::running("Reading"), {"progress.indicator", Role::blue, "Reading"}, 0},
        {ActionStatus::done("Pasted"), {"checkmark.circle.fill", Role::green, "Pasted"}, 900},
        {ActionStatus::failed("No."), {"exclamationmark.triangle.fill", Role::orange, "No."}, 1300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model.text.toStdString());
        show(c.status);
        ASSERT_TRUE(hudVisible());
        EXPECT_EQ(hud.view()->model(), c.model);
        EXPECT_EQ(namedPart<QLabel>(hud.view(), "statusText")->text(), c.model.text);
        desktop.clock.advance(c.hiddenAfterMs ? c.hiddenAfterMs - 1 : 60000);
        EXPECT_TRUE(hudVisible());
        desktop.clock.advance(1);
        EXPECT_EQ(hudVisible(), c.hiddenAfterMs == 0);
    }
}

// The next status shows on the main screen of its moment, restyled by settings since.
TEST_F(HudTest, EachStatusFollowsTheMainScreenAndTheLookOfItsMoment) {
    show(ActionStatus::running("Fix running"));
    state->editSettings([](NiveloSettings& s) { s.appearanceMode = AppearanceMode::liquidMint; });
    VirtualClock::flushEvents();
    EXPECT_FALSE(hud.panel()->surface()->recipe().darkPalette);
    screens.list = {{QRect(1600, 0, 1000, 700), QRect(1600, 20, 1000, 650)}};
    show(ActionStatus::running("Pasting"));
    EXPECT_TRUE(hud.panel()->surface()->recipe().darkPalette);
    EXPECT_EQ(hud.panel()->x(), 1600 + 500 - 130);
    EXPECT_EQ(hud.panel()->geometry().bottom() + 1, 670 - 82);
}

// Without a state: the system look (no tint glow) in the system's surface mode, here solid.
TEST_F(HudTest, WithoutAStateItShowsInTheSystemsSurfaceMode) {
    StatusHUDController bare{{screens, appearance, {&activation, &hints}}};
    appearance.reduce = true;
    bare.show(ActionStatus::failed("Backend URL is invalid."));
    ASSERT_TRUE(bare.panel() && bare.panel()->isVisible());
    EXPECT_NEAR(bare.panel()->surface()->recipe().shadow->color.alphaF(), 0.30, 0.01);
    EXPECT_FALSE(bare.panel()->surface()->recipe().tintGlow);
}

// A longer message widens the box first, then shrinks, then is cut.
TEST_F(HudTest, LongTextsWidenTheBoxThenShrinkNoFurtherThanTheirLimitThenElide) {
    const QString longText =
        "The backend did not answer in time; try again later or check the address you gave";
    const QString failure = "No editable field found in the target app.";
    for (const QString& text :
         {QString("Reading selection"), failure, longText, QString("Pasted")}) {
        show(ActionStatus::running(text));
        const QLabel* label = namedPart<QLabel>(hud.view(), "statusText");
        EXPECT_GE(label->font().pixelSize(), 0.82 * 14);
        EXPECT_EQ(label->text() != text, text == longText) << label->text().toStdString();
        EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width() + 1);
        EXPECT_EQ(hud.panel()->width() > StatusHUD::kWindowWidth, text.size() > 20);
        EXPECT_LE(hud.panel()->width(), StatusHUD::kMaximumWindowWidth);
    }
    EXPECT_EQ(namedPart<QLabel>(hud.view(), "statusText")->font().pixelSize(), 14);
}
