// The surface mode the desktop asks for, and how the state follows it.

#include <QTemporaryDir>

#include "StateFixture.h"
#include "platform/DefaultsSystemAppearance.h"
#include "platform/IniDefaults.h"
#include "theme/SystemSurfaceMode.h"

// Reduce-transparency wins; then the app's own integer; a value of another type leaves it to
// the desktop's integer; nothing set is translucent.
TEST(SystemSurfaceMode, ReduceTransparencyThenTheOwnIntegerThenTheDesktopsDecide) {
    struct Case {
        bool reduce;
        QVariant own;
        QVariant global;
        SurfaceMode expected;
    };
    const QVariant zero(qint64(0)), one(qint64(1));
    for (const Case& c : {Case{true, zero, zero, SurfaceMode::solid},
                          Case{false, zero, one, SurfaceMode::translucent},
                          Case{false, QVariant(2), zero, SurfaceMode::solid},
                          Case{false, QVariant(QStringLiteral("1")), {}, SurfaceMode::translucent},
                          Case{false, QVariant(QStringLiteral("1")), one, SurfaceMode::solid},
                          Case{false, QVariant(QStringLiteral("1")),
                               QVariant(QStringLiteral("yes")), SurfaceMode::translucent},
                          Case{false, {}, {}, SurfaceMode::translucent}}) {
        SCOPED_TRACE(c.own.toString().toStdString() + "/" + c.global.toString().toStdString());
        SimulatedSystemAppearance a;
        a.reduce = c.reduce;
        a.glassDiffusion = c.own;
        a.globalGlassDiffusion = c.global;
        EXPECT_EQ(systemResolvedSurfaceMode(a), c.expected);
    }
}

TEST(DefaultsSystemAppearance, OwnKeysDecideAndNumbersStoredAsTextCount) {
    QTemporaryDir dir;
    IniDefaults defaults(dir.filePath(QStringLiteral("defaults.ini")));
    DefaultsSystemAppearance appearance(defaults);
    EXPECT_EQ(systemResolvedSurfaceMode(appearance), SurfaceMode::translucent);

    defaults.setInteger(DefaultsSystemAppearance::kGlassDiffusionKey, 1);
    defaults.sync();
    IniDefaults reread(dir.filePath(QStringLiteral("defaults.ini")));
    DefaultsSystemAppearance fromFile(reread);
    EXPECT_EQ(fromFile.glassDiffusionSetting(), QVariant(qint64(1)));
    EXPECT_EQ(systemResolvedSurfaceMode(fromFile), SurfaceMode::solid);

    defaults.setString(DefaultsSystemAppearance::kGlassDiffusionKey, QStringLiteral("glassy"));
    EXPECT_EQ(systemResolvedSurfaceMode(appearance), SurfaceMode::translucent);

    defaults.setBool(DefaultsSystemAppearance::kReduceTransparencyKey, true);
    EXPECT_EQ(systemResolvedSurfaceMode(appearance), SurfaceMode::solid);
    EXPECT_FALSE(appearance.globalGlassDiffusionSetting().isValid());
}

// Polled every 0.75 s, published only on a change; display option changes arrive at once.
TEST_F(StateTest, SurfaceObserverPollsAndPublishesOnlyChanges) {
    makeState();
    QList<SurfaceMode> published;
    QObject::connect(state.get(), &NiveloAppState::systemSurfaceModeChanged, state.get(),
                     [&](SurfaceMode mode) { published << mode; });

    state->startSystemSurfaceObserver();
    desktop.clock.advance(750 * 4);
    EXPECT_TRUE(published.isEmpty());

    appearance.glassDiffusion = QVariant(qint64(1));
    desktop.clock.advance(749);
    EXPECT_EQ(state->systemSurfaceMode(), SurfaceMode::translucent);
    desktop.clock.advance(1);
    EXPECT_EQ(published, QList<SurfaceMode>{SurfaceMode::solid});

    appearance.glassDiffusion = QVariant();
    desktop.clock.advance(750);
    appearance.setReduceTransparency(true);
    EXPECT_EQ(published, (QList<SurfaceMode>{SurfaceMode::solid, SurfaceMode::translucent,
                                             SurfaceMode::solid}));
}

TEST_F(StateTest, StartingTheObserverAgainOnlyRefreshes) {
    makeState();
    state->startSystemSurfaceObserver();
    appearance.reduce = true;
    state->startSystemSurfaceObserver();
    EXPECT_EQ(state->systemSurfaceMode(), SurfaceMode::solid);
    // One poll, not two; it dies with the state.
    EXPECT_EQ(desktop.clock.pendingCount(), 1u);
    state.reset();
    EXPECT_EQ(desktop.clock.pendingCount(), 0u);
}
