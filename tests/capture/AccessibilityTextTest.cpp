#include "CaptureFixture.h"
#include "capture/AccessibilityTextReader.h"

class AccessibilityTextTest : public CaptureTest {
protected:
    AccessibilityTextReader reader{desktop.workspace, desktop.accessibility, focus};

    bool replace(const QString& text) {
        auto outcome = startTask(service.replaceSelectedTextViaAccessibility(text));
        return outcome->value.value_or(false);
    }
    // Puts the editor's field `depth` levels below a web area.
    void placeFieldUnderWebArea(int depth) {
        auto parent = SimulatedAXNode::make(AXRole::WebArea);
        SimulatedAXNode::attach(parent, editor.window);
        for (int i = 1; i < depth; ++i) {
            auto group = SimulatedAXNode::make(AXRole::Group);
            SimulatedAXNode::attach(group, parent);
            parent = group;
        }
        SimulatedAXNode::attach(editor.field, parent);
    }
};

// With two instances the identifier readers ask the first, the layout reader the remembered.
TEST_F(AccessibilityTextTest, ReadsTheSelectionOfTheRememberedApplication) {
    editor.setText(QStringLiteral(" Hello world"), 0, 6);
    EXPECT_EQ(service.peekSelectedTextViaAccessibility(), QStringLiteral(" Hello"));
    auto& second = rememberSecondEditor();
    EXPECT_EQ(reader.selectedText(), QStringLiteral(" Hello"));
    EXPECT_EQ(reader.selectedTextForLayout(), QStringLiteral("second"));
    desktop.accessibility.trusted = false;
    EXPECT_EQ(reader.selectedText(), QString());
    desktop.accessibility.trusted = true;
    desktop.quit(editor.pid);
    desktop.quit(second.pid);
    EXPECT_EQ(reader.selectedText(), QString());
    EXPECT_EQ(reader.selectedTextForLayout(), QString());
    EXPECT_EQ(desktop.pasteboard.changeCount(), initialChangeCount);
}

// Web content is read but not for the layout fix; the search stops after 32 elements.
TEST_F(AccessibilityTextTest, AFieldInWebContentNeedsThePasteFallback) {
    placeFieldUnderWebArea(31);
    EXPECT_EQ(reader.selectedText(), QStringLiteral("Hello"));
    EXPECT_TRUE(reader.requiresPasteFallback(editor.field));
    EXPECT_EQ(reader.selectedTextForLayout(), QString());
    EXPECT_FALSE(replace(QStringLiteral("x")));  // left to the paste
    placeFieldUnderWebArea(32);
    EXPECT_FALSE(reader.requiresPasteFallback(editor.field));
    SimulatedAXNode::attach(editor.field, editor.window);
    editor.window->browserNodeId = QStringLiteral("7");
    EXPECT_TRUE(reader.requiresPasteFallback(editor.field));
}

// Into the remembered process, else the first with its identifier, never by the pasteboard;
// refused when it cannot be done.
TEST_F(AccessibilityTextTest, ReplaceWritesIntoTheRememberedProcessElseByIdentifier) {
    auto& second = rememberSecondEditor();
    EXPECT_TRUE(replace(QStringLiteral("2nd")));
    EXPECT_EQ(second.text, QStringLiteral("2nd one"));
    desktop.quit(second.pid);
    EXPECT_TRUE(replace(QStringLiteral("Bye")));
    EXPECT_EQ(editor.text, QStringLiteral("Bye world"));
    EXPECT_FALSE(replace(QString()));
    const std::function<void()> spoilers[] = {[&] { desktop.accessibility.trusted = false; },
                                              [&] { editor.field->selectionReplaceable = false; },
                                              [&] { editor.field->failsToSet = true; },
                                              [&] { editor.focused = nullptr; }};
    for (const auto& spoil : spoilers) {
        spoil();
        EXPECT_FALSE(replace(QStringLiteral("x")));
    }
    EXPECT_EQ(editor.text, QStringLiteral("Bye world"));
    EXPECT_EQ(desktop.pasteboard.changeCount(), initialChangeCount);
    EXPECT_TRUE(capture.calls.isEmpty() && desktop.keys.log.isEmpty());
}

using FocusServiceTest = CaptureTest;

// Taken with its window on the next turn; never the app's own identifiers or none. Activation
// prefers the remembered process, then its identifier, and leaves one already in front be.
TEST_F(FocusServiceTest, RemembersTheApplicationThatBecameActiveAndActivatesIt) {
    for (const QString& id : {QStringLiteral("ai.nivelo.native.test"),
                              QStringLiteral("ai.nivelo.desktop"), QString()}) {
        desktop.bringToFront(desktop.launch(id, QStringLiteral("own")).pid);
        VirtualClock::flushEvents();
        focus.rememberFrontmostApplication();
    }
    EXPECT_EQ(focus.rememberedWindow(), AXElementPtr(editor.window));
    auto& bare = desktop.launch(QStringLiteral("org.example.bare"));
    bare.window.reset();
    desktop.bringToFront(bare.pid);
    EXPECT_EQ(focus.rememberedProcessIdentifier(), editor.pid);
    VirtualClock::flushEvents();
    EXPECT_EQ(focus.rememberedWindow(), nullptr);

    auto& second = rememberSecondEditor();
    const auto calls = desktop.workspace.activations.size();
    EXPECT_TRUE(focus.activateRememberedApplication());
    EXPECT_EQ(desktop.workspace.activations.size(), calls);
    desktop.bringToFront(panel.pid);
    EXPECT_TRUE(focus.activateRememberedApplication());
    EXPECT_EQ(desktop.frontmost(), &second);
    desktop.bringToFront(panel.pid);
    desktop.quit(second.pid);
    EXPECT_TRUE(focus.activateRememberedApplication());
    EXPECT_EQ(desktop.frontmost(), &editor);
}
