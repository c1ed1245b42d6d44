// The surface mode the desktop asks for, and how the state follows it.

#include <QTemporaryDir>

#include "StateFixture.h"
#include "platform/DefaultsSystemAppearance.h"
#include "platform/IniDefaults.h"
#include "theme/SystemSurfaceMode.h"

TEST(SystemSurfaceMode, ReduceTransparencyWinsOverEverything) {
    SimulatedSystemAppearance a;
    a.reduce = true;
    a.glassDiffusion = QVariant(qint64(0));
    a.globalGlassDiffusion = QVariant(qint64(0));
    EXPECT_EQ(systemResolvedSurfaceMode(a), SurfaceMode::solid);
}

TEST(SystemSurfaceMode, TheAppsOwnIntegerDecidesAtOnce) {
    SimulatedSystemAppearance a;
    a.globalGlassDiffusion = QVariant(qint64(1));
    a.glassDiffusion = QVariant(qint64(0));
    EXPECT_EQ(systemResolvedSurfaceMode(a), SurfaceMode::translucent);
    a.glassDiffusion = QVariant(2);
    a.globalGlassDiffusion = QVariant(qint64(0));
    EXPECT_EQ(systemResolvedSurfaceMode(a), SurfaceMode::solid);
}

TEST(SystemSurfaceMode, AnOwnValueOfAnotherTypeLeavesItToTheDesktop) {
    SimulatedSystemAppearance a;
    a.glassDiffusion = QVariant(QStringLiteral("1"));
    EXPECT_EQ(systemResolvedSurfaceMode(a), SurfaceMode::translucent);
    a.globalGlassDiffusion = QVariant(qint64(1));
    EXPECT_EQ(systemResolvedSurfaceMode(a), SurfaceMode::solid);
    a.globalGlassDiffusion = QVariant(QStringLiteral("yes"));
    EXPECT_EQ(systemResolvedSurfaceMode(a), SurfaceMode::translucent);
}

TEST(SystemSurfaceMode, NothingSetIsTranslucent) {
    SimulatedSystemAppearance a;
    EXPECT_EQ(systemResolvedSurfaceMode(a), SurfaceMode::translucent);
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
    EXPECT_EQ(state->systemSurfaceMode(), SurfaceMode::solid);
    EXPECT_EQ(published, QList<SurfaceMode>{SurfaceMode::solid});
}

TEST_F(StateTest, DisplayOptionChangesArriveAtOnce) {
    makeState();
    state->startSystemSurfaceObserver();
    appearance.setReduceTransparency(true);
    EXPECT_EQ(state->systemSurfaceMode(), SurfaceMode::solid);
}

TEST_F(StateTest, StartingTheObserverAgainOnlyRefreshes) {
    makeState();
    state->startSystemSurfaceObserver();
    appearance.reduce = true;
    state->startSystemSurfaceObserver();
    EXPECT_EQ(state->systemSurfaceMode(), SurfaceMode::solid);
    // One poll, not two.
    EXPECT_EQ(desktop.clock.pendingCount(), 1u);
    state.reset();
    EXPECT_EQ(desktop.clock.pendingCount(), 0u);
}
