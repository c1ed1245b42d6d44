#include "CaptureFixture.h"

class FocusServiceTest : public CaptureTest {};

TEST_F(FocusServiceTest, RemembersTheApplicationThatBecameActiveWithItsWindowOnTheNextTurn) {
    EXPECT_EQ(focus.rememberedBundleIdentifier(), QStringLiteral("org.example.editor"));
    EXPECT_EQ(focus.rememberedWindow(), AXElementPtr(editor.window));

    auto& bare = desktop.launch(QStringLiteral("org.example.bare"));
    bare.window.reset();
    desktop.bringToFront(bare.pid);
    EXPECT_EQ(focus.rememberedProcessIdentifier(), editor.pid);
    VirtualClock::flushEvents();
    EXPECT_EQ(focus.rememberedProcessIdentifier(), bare.pid);
    EXPECT_EQ(focus.rememberedWindow(), nullptr);
}

TEST_F(FocusServiceTest, NeverRemembersTheAppsOwnIdentifiersOrNone) {
    for (const QString& id : {QStringLiteral("ai.nivelo.native.test"),
                              QStringLiteral("ai.nivelo.desktop"), QString()}) {
        auto& own = desktop.launch(id, QStringLiteral("own"));
        desktop.bringToFront(own.pid);
        VirtualClock::flushEvents();
        focus.rememberFrontmostApplication();
    }
    EXPECT_EQ(focus.rememberedProcessIdentifier(), editor.pid);
    EXPECT_EQ(focus.rememberedBundleIdentifier(), QStringLiteral("org.example.editor"));
}

TEST_F(FocusServiceTest, NothingRememberedActivatesNothingUntilTheFrontmostIsTaken) {
    FocusService fresh(desktop.workspace, desktop.accessibility);
    EXPECT_FALSE(fresh.activateRememberedApplication());
    EXPECT_EQ(desktop.frontmost(), &panel);
    desktop.bringToFront(editor.pid);
    fresh.rememberFrontmostApplication();
    EXPECT_EQ(fresh.rememberedProcessIdentifier(), editor.pid);
}

TEST_F(FocusServiceTest, ActivateByIdentifier) {
    EXPECT_TRUE(focus.activate(QStringLiteral("org.example.editor")));
    EXPECT_EQ(desktop.frontmost(), &editor);
    const auto calls = desktop.workspace.activations.size();
    // Already active: true without asking the desktop again.
    EXPECT_TRUE(focus.activate(QStringLiteral("org.example.editor")));
    EXPECT_EQ(desktop.workspace.activations.size(), calls);
    EXPECT_FALSE(focus.activate(QStringLiteral("org.example.gone")));
    auto& stubborn = desktop.launch(QStringLiteral("org.example.stubborn"));
    stubborn.refusesActivation = true;
    EXPECT_FALSE(focus.activate(QStringLiteral("org.example.stubborn")));
}

TEST_F(FocusServiceTest, ActivateRememberedPrefersTheProcessThenTheIdentifier) {
    auto& second = rememberSecondEditor();
    desktop.bringToFront(panel.pid);
    EXPECT_TRUE(focus.activateRememberedApplication());
    EXPECT_EQ(desktop.frontmost(), &second);

    desktop.bringToFront(panel.pid);
    desktop.quit(second.pid);
    EXPECT_TRUE(focus.activateRememberedApplication());
    EXPECT_EQ(desktop.frontmost(), &editor);
}
