#include "CaptureFixture.h"
#include "capture/AccessibilityTextReader.h"

class AccessibilityTextTest : public CaptureTest {
protected:
    AccessibilityTextReader reader{desktop.workspace, desktop.accessibility, focus};

    bool replace(const QString& text) {
        auto outcome = startTask(service.replaceSelectedTextViaAccessibility(text));
        EXPECT_TRUE(outcome->done);
        return outcome->value.value_or(false);
    }

    // Puts the editor's field `depth` levels below a web area.
    void placeFieldUnderWebArea(int depth) {
        auto web = SimulatedAXNode::make(QStringLiteral("AXWebArea"));
        SimulatedAXNode::attach(web, editor.window);
        auto parent = web;
        for (int i = 1; i < depth; ++i) {
            auto group = SimulatedAXNode::make(QStringLiteral("AXGroup"));
            SimulatedAXNode::attach(group, parent);
            parent = group;
        }
        SimulatedAXNode::attach(editor.field, parent);
    }
};

TEST_F(AccessibilityTextTest, ReadsTheSelectionOfTheRememberedApplication) {
    editor.setText(QStringLiteral(" Hello world"), 0, 6);
    EXPECT_EQ(service.peekSelectedTextViaAccessibility(), QStringLiteral(" Hello"));
    EXPECT_EQ(service.peekSelectedTextForLayoutViaAccessibility(), QStringLiteral(" Hello"));
    EXPECT_EQ(desktop.pasteboard.changeCount(), initialChangeCount);
}

TEST_F(AccessibilityTextTest, NothingRememberedOrQuitGivesEmptyText) {
    FocusService fresh(desktop.workspace, desktop.accessibility);
    AccessibilityTextReader freshReader(desktop.workspace, desktop.accessibility, fresh);
    EXPECT_EQ(freshReader.selectedText(), QString());
    EXPECT_EQ(freshReader.selectedTextForLayout(), QString());

    desktop.quit(editor.pid);
    EXPECT_EQ(reader.selectedText(), QString());
    EXPECT_EQ(reader.selectedTextForLayout(), QString());
    EXPECT_EQ(reader.focusedText(), QString());
}

TEST_F(AccessibilityTextTest, WithoutTrustNothingIsRead) {
    desktop.accessibility.trusted = false;
    EXPECT_EQ(reader.selectedText(), QString());
    EXPECT_FALSE(replace(QStringLiteral("x")));
}

TEST_F(AccessibilityTextTest, TwoInstancesIdentifierReadersAskTheFirstLayoutReaderTheRemembered) {
    auto& second = desktop.launch(QStringLiteral("org.example.editor"));
    second.setText(QStringLiteral("second one"), 0, 6);
    desktop.bringToFront(second.pid);
    VirtualClock::flushEvents();
    ASSERT_EQ(focus.rememberedProcessIdentifier(), second.pid);
    EXPECT_EQ(reader.selectedText(), QStringLiteral("Hello"));
    EXPECT_EQ(reader.selectedTextForLayout(), QStringLiteral("second"));
}

TEST_F(AccessibilityTextTest, WebContentIsReadButNotForTheLayoutFix) {
    placeFieldUnderWebArea(31);
    EXPECT_EQ(reader.selectedText(), QStringLiteral("Hello"));
    EXPECT_TRUE(reader.requiresPasteFallback(editor.field));
    EXPECT_EQ(reader.selectedTextForLayout(), QString());
}

TEST_F(AccessibilityTextTest, TheWebAreaSearchStopsAfter32Elements) {
    placeFieldUnderWebArea(32);
    EXPECT_FALSE(reader.requiresPasteFallback(editor.field));
    placeFieldUnderWebArea(40);
    EXPECT_FALSE(reader.requiresPasteFallback(editor.field));
}

TEST_F(AccessibilityTextTest, AChromeNodeAncestorCountsAsWebContent) {
    editor.window->attributes.insert(QStringLiteral("ChromeAXNodeId"),
                                     AXValue(QStringLiteral("7")));
    EXPECT_TRUE(reader.requiresPasteFallback(editor.field));
}

TEST_F(AccessibilityTextTest, FocusedTextUsesTheValueOnlyWhenTheSelectionCannotBeRead) {
    editor.setText(QStringLiteral("Whole"), 0, 0);
    EXPECT_EQ(reader.focusedText(), QString());
    editor.field->failing.insert(QStringLiteral("AXSelectedText"));
    EXPECT_EQ(reader.focusedText(), QStringLiteral("Whole"));
}

TEST_F(AccessibilityTextTest, ReplaceSetsTheSelectedTextWithoutThePasteboard) {
    EXPECT_TRUE(replace(QStringLiteral("Bye")));
    EXPECT_EQ(editor.text, QStringLiteral("Bye world"));
    EXPECT_EQ(desktop.pasteboard.changeCount(), initialChangeCount);
    EXPECT_TRUE(capture.calls.isEmpty());
    EXPECT_TRUE(desktop.keys.log.isEmpty());
}

TEST_F(AccessibilityTextTest, ReplaceRefusesWhatItCannotDo) {
    EXPECT_FALSE(replace(QString()));
    editor.field->settable.remove(QStringLiteral("AXSelectedText"));
    EXPECT_FALSE(replace(QStringLiteral("x")));
    editor.field->settable.insert(QStringLiteral("AXSelectedText"));
    editor.field->failsToSet = true;
    EXPECT_FALSE(replace(QStringLiteral("x")));
    editor.field->failsToSet = false;
    editor.focused = nullptr;
    EXPECT_FALSE(replace(QStringLiteral("x")));
    EXPECT_EQ(editor.text, QStringLiteral("Hello world"));
}

TEST_F(AccessibilityTextTest, ReplaceLeavesWebContentToThePaste) {
    placeFieldUnderWebArea(3);
    EXPECT_FALSE(replace(QStringLiteral("x")));
    EXPECT_EQ(desktop.accessibility.setCount, 0);
}

TEST_F(AccessibilityTextTest, ReplaceWritesIntoTheRememberedProcess) {
    auto& second = desktop.launch(QStringLiteral("org.example.editor"));
    second.setText(QStringLiteral("second one"), 0, 6);
    desktop.bringToFront(second.pid);
    VirtualClock::flushEvents();
    EXPECT_TRUE(replace(QStringLiteral("2nd")));
    EXPECT_EQ(second.text, QStringLiteral("2nd one"));
    EXPECT_EQ(editor.text, QStringLiteral("Hello world"));
}

TEST_F(AccessibilityTextTest, ReplaceFallsBackToTheIdentifierWhenTheProcessIsGone) {
    auto& second = desktop.launch(QStringLiteral("org.example.editor"));
    desktop.bringToFront(second.pid);
    VirtualClock::flushEvents();
    desktop.quit(second.pid);
    EXPECT_TRUE(replace(QStringLiteral("Bye")));
    EXPECT_EQ(editor.text, QStringLiteral("Bye world"));
}
