#include "CaptureFixture.h"

using FocusServiceTest = CaptureTest;

// Taken on the next turn; never the app's own identifiers or none.
TEST_F(FocusServiceTest, RemembersTheApplicationThatBecameActiveWithItsWindow) {
    EXPECT_EQ(focus.rememberedWindow(), AXElementPtr(editor.window));
    for (const QString& id : {QStringLiteral("ai.nivelo.native.test"),
                              QStringLiteral("ai.nivelo.desktop"), QString()}) {
        desktop.bringToFront(desktop.launch(id, QStringLiteral("own")).pid);
        VirtualClock::flushEvents();
        focus.rememberFrontmostApplication();
    }
    EXPECT_EQ(focus.rememberedBundleIdentifier(), QStringLiteral("org.example.editor"));
    auto& bare = desktop.launch(QStringLiteral("org.example.bare"));
    bare.window.reset();
    desktop.bringToFront(bare.pid);
    EXPECT_EQ(focus.rememberedProcessIdentifier(), editor.pid);
    VirtualClock::flushEvents();
    EXPECT_EQ(focus.rememberedProcessIdentifier(), bare.pid);
    EXPECT_EQ(focus.rememberedWindow(), nullptr);
}

// An application already in front is not asked again.
TEST_F(FocusServiceTest, ActivatesByIdentifierOrTheRememberedProcessFirst) {
    FocusService fresh(desktop.workspace, desktop.accessibility);
    EXPECT_FALSE(fresh.activateRememberedApplication());
    EXPECT_TRUE(focus.activate(QStringLiteral("org.example.editor")));
    const auto calls = desktop.workspace.activations.size();
    EXPECT_TRUE(focus.activate(QStringLiteral("org.example.editor")));
    EXPECT_EQ(desktop.workspace.activations.size(), calls);
    EXPECT_FALSE(focus.activate(QStringLiteral("org.example.gone")));
    desktop.launch(QStringLiteral("org.example.stubborn")).refusesActivation = true;
    EXPECT_FALSE(focus.activate(QStringLiteral("org.example.stubborn")));

    auto& second = rememberSecondEditor();
    desktop.bringToFront(panel.pid);
    EXPECT_TRUE(focus.activateRememberedApplication());
    EXPECT_EQ(desktop.frontmost(), &second);
    desktop.bringToFront(panel.pid);
    desktop.quit(second.pid);
    EXPECT_TRUE(focus.activateRememberedApplication());
    EXPECT_EQ(desktop.frontmost(), &editor);
}
