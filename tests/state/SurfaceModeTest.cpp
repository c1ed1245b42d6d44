// The surface mode the desktop asks for, and how the state follows it.

#include <QTemporaryDir>

#include "StateFixture.h"
#include "platform/DefaultsSystemAppearance.h"
#include "platform/IniDefaults.h"
#include "theme/SystemSurfaceMode.h"

// Reduce-transparency wins; then the app's own integer; a value of another type leaves it to
// the desktop's integer; nothing set is translucent.
TEST(SystemSurfaceMode, ReduceTransparencyThenTheOwnIntegerThenTheDesktopsDecide) {
    const QVariant zero(qint64(0)), one(qint64(1)), text("1");
    const struct {
        bool reduce;
        QVariant own, global;
        SurfaceMode expected;
    } cases[] = {{true, zero, zero, SurfaceMode::solid},
                 {false, zero, one, SurfaceMode::translucent},
                 {false, QVariant(2), zero, SurfaceMode::solid},
                 {false, text, one, SurfaceMode::solid},
                 {false, text, QVariant("yes"), SurfaceMode::translucent},
                 {false, {}, {}, SurfaceMode::translucent}};
    for (const auto& c : cases) {
        SimulatedSystemAppearance a;
        a.reduce = c.reduce;
        a.glassDiffusion = c.own;
        a.globalGlassDiffusion = c.global;
        EXPECT_EQ(systemResolvedSurfaceMode(a), c.expected) << c.own.toString().toStdString();
    }
}

TEST(DefaultsSystemAppearance, OwnKeysDecideAndNumbersStoredAsTextCount) {
    QTemporaryDir dir;
    IniDefaults defaults(dir.filePath("defaults.ini"));
    DefaultsSystemAppearance appearance(defaults);
    defaults.setInteger(DefaultsSystemAppearance::kGlassDiffusionKey, 1);
    defaults.sync();
    IniDefaults reread(dir.filePath("defaults.ini"));
    EXPECT_EQ(systemResolvedSurfaceMode(DefaultsSystemAppearance(reread)), SurfaceMode::solid);
    defaults.setString(DefaultsSystemAppearance::kGlassDiffusionKey, "glassy");
    EXPECT_EQ(systemResolvedSurfaceMode(appearance), SurfaceMode::translucent);
    defaults.setBool(DefaultsSystemAppearance::kReduceTransparencyKey, true);
    EXPECT_EQ(systemResolvedSurfaceMode(appearance), SurfaceMode::solid);
}

// Polled every 0.75 s, published only on a change; display option changes arrive at once;
// starting again only refreshes; the poll dies with the state.
TEST_F(StateTest, SurfaceObserverPollsAndPublishesOnlyChanges) {
    makeState();
    QList<SurfaceMode> published;
    QObject::connect(state.get(), &NiveloAppState::systemSurfaceModeChanged, state.get(),
                     [&](SurfaceMode mode) { published << mode; });
    state->startSystemSurfaceObserver();
    state->startSystemSurfaceObserver();
    EXPECT_EQ(desktop.clock.pendingCount(), 1u);
    desktop.clock.advance(750 * 4);
    EXPECT_TRUE(published.isEmpty());

    appearance.glassDiffusion = QVariant(qint64(1));
    desktop.clock.advance(749);
    EXPECT_EQ(state->systemSurfaceMode(), SurfaceMode::translucent);
    desktop.clock.advance(1);
    appearance.glassDiffusion = QVariant();
    desktop.clock.advance(750);
    appearance.setReduceTransparency(true);
    appearance.reduce = false;
    state->startSystemSurfaceObserver();
    EXPECT_EQ(published, (QList<SurfaceMode>{SurfaceMode::solid, SurfaceMode::translucent,
                                             SurfaceMode::solid, SurfaceMode::translucent}));
    EXPECT_EQ(desktop.clock.pendingCount(), 1u);
    state.reset();
    EXPECT_EQ(desktop.clock.pendingCount(), 0u);
}
