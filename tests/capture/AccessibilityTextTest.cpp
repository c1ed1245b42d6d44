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
        auto parent = SimulatedAXNode::make(QStringLiteral("AXWebArea"));
        SimulatedAXNode::attach(parent, editor.window);
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
    // Two instances: the identifier readers ask the first, the layout reader the remembered.
    rememberSecondEditor();
    EXPECT_EQ(reader.selectedText(), QStringLiteral(" Hello"));
    EXPECT_EQ(reader.selectedTextForLayout(), QStringLiteral("second"));
}

TEST_F(AccessibilityTextTest, WithoutTrustNothingRememberedOrQuitNothingIsRead) {
    desktop.accessibility.trusted = false;
    EXPECT_EQ(reader.selectedText(), QString());
    EXPECT_FALSE(replace(QStringLiteral("x")));
    desktop.accessibility.trusted = true;

    FocusService fresh(desktop.workspace, desktop.accessibility);
    AccessibilityTextReader freshReader(desktop.workspace, desktop.accessibility, fresh);
    EXPECT_EQ(freshReader.selectedText(), QString());
    EXPECT_EQ(freshReader.selectedTextForLayout(), QString());

    desktop.quit(editor.pid);
    EXPECT_EQ(reader.selectedText(), QString());
    EXPECT_EQ(reader.selectedTextForLayout(), QString());
    EXPECT_EQ(reader.focusedText(), QString());
}

// Web content is read but not for the layout fix; the search stops after 32 elements.
TEST_F(AccessibilityTextTest, AFieldInWebContentNeedsThePasteFallback) {
    placeFieldUnderWebArea(31);
    EXPECT_EQ(reader.selectedText(), QStringLiteral("Hello"));
    EXPECT_TRUE(reader.requiresPasteFallback(editor.field));
    EXPECT_EQ(reader.selectedTextForLayout(), QString());
    placeFieldUnderWebArea(32);
    EXPECT_FALSE(reader.requiresPasteFallback(editor.field));
    // A Chrome node above it counts as web content too.
    SimulatedAXNode::attach(editor.field, editor.window);
    EXPECT_FALSE(reader.requiresPasteFallback(editor.field));
    editor.window->attributes.insert(QStringLiteral("ChromeAXNodeId"),
                                     AXValue(QStringLiteral("7")));
    EXPECT_TRUE(reader.requiresPasteFallback(editor.field));
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
    // Web content is left to the paste.
    editor.focused = editor.field;
    placeFieldUnderWebArea(3);
    EXPECT_FALSE(replace(QStringLiteral("x")));
    EXPECT_EQ(desktop.accessibility.setCount, 0);
}

TEST_F(AccessibilityTextTest, ReplaceWritesIntoTheRememberedProcessElseByIdentifier) {
    auto& second = rememberSecondEditor();
    EXPECT_TRUE(replace(QStringLiteral("2nd")));
    EXPECT_EQ(second.text, QStringLiteral("2nd one"));
    EXPECT_EQ(editor.text, QStringLiteral("Hello world"));
    // Once that process is gone, the first application with its identifier.
    desktop.quit(second.pid);
    EXPECT_TRUE(replace(QStringLiteral("Bye")));
    EXPECT_EQ(editor.text, QStringLiteral("Bye world"));
    // Neither the pasteboard nor key events were used.
    EXPECT_EQ(desktop.pasteboard.changeCount(), initialChangeCount);
    EXPECT_TRUE(capture.calls.isEmpty());
    EXPECT_TRUE(desktop.keys.log.isEmpty());
}
