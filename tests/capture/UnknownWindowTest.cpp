#include "CaptureFixture.h"

// The user moved to a window whose process cannot be found (no process id, a remote
// client): the action reads nothing rather than the application the user left.
class UnknownWindowTest : public CaptureTest {};

TEST_F(UnknownWindowTest, ARunFromAWindowOfNoKnownProcessLeavesTheEarlierApplicationAlone) {
    // No window active at all: the user has not moved on.
    desktop.bringToFront(0);
    VirtualClock::flushEvents();
    focus.rememberFrontmostApplication();
    EXPECT_EQ(focus.rememberedProcessIdentifier(), editor.pid);

    desktop.workspace.unknownWindowActive = true;
    focus.rememberFrontmostApplication();
    EXPECT_EQ(focus.rememberedProcessIdentifier(), std::nullopt);
    EXPECT_EQ(focus.rememberedBundleIdentifier(), std::nullopt);
    EXPECT_EQ(focus.rememberedWindow(), nullptr);

    // Select All on and the accessibility fallback on: both would reach the editor.
    auto outcome = startTask(read(true, true));
    runToEnd(outcome);
    expectError(*outcome, Kind::emptySelection, "No selected text.");
    EXPECT_EQ(desktop.frontmost(), nullptr);
    EXPECT_EQ(editor.selectAllCount + editor.copyCount, 0);
    EXPECT_EQ(editor.selectedText(), QStringLiteral("Hello"));
    expectUserPasteboardBack();

    // The next application the user turns to is remembered again.
    desktop.workspace.unknownWindowActive = false;
    desktop.bringToFront(editor.pid);
    focus.rememberFrontmostApplication();
    EXPECT_EQ(focus.rememberedProcessIdentifier(), editor.pid);
}
