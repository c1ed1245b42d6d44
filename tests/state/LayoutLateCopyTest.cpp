// The silent layout run against an editor that answers Copy late and fetches a paste late, as
// a busy X11 application does: its second copy lands after our text was put on the pasteboard,
// so it pastes its own selection back.

#include "StateFixture.h"

class LayoutLateCopy : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        makeState();
        desktop.pasteboard.setServesLater(true);
        // Accessibility gives nothing: the copy road.
        editor.setText(QStringLiteral("ghbdtn"), 0, 6);
        editor.field->selectedText = QStringLiteral(" ");
        editor.pasteReadDelayMs = 200;
    }
};

TEST_F(LayoutLateCopy, TheLayoutSwitchesOnlyWhenTheFixedTextWasPlaced) {
    struct Case {
        qint64 copyDelayMs;
        const char* text;
        const char* layout;
    };
    // 100 ms: one Copy, our text is fetched. 150 ms: the Copy of the second attempt lands at
    // 290 ms, before the editor fetches the paste at 360 ms.
    const Case cases[] = {{100, "привет", "xkb.layout.ru"}, {150, "ghbdtn", "xkb.layout.us"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.copyDelayMs);
        editor.setText(QStringLiteral("ghbdtn"), 0, 6);
        editor.copyCount = 0;
        editor.copyWriteDelayMs = c.copyDelayMs;
        inputs.setCurrentId(QStringLiteral("xkb.layout.us"));
        putUserContent(desktop.pasteboard);
        recorded.clear();

        state->run(QuickAction{QStringLiteral("layout")}, true, false);
        settle();

        EXPECT_EQ(editor.text, QString::fromUtf8(c.text));
        EXPECT_EQ(inputs.currentId(), c.layout);
        // Never empty: the user's pasteboard is back whatever the editor did.
        EXPECT_EQ(desktop.pasteboard.content(), userContent);
        const bool placed = QString::fromUtf8(c.text) == QStringLiteral("привет");
        EXPECT_EQ(recorded.isEmpty() ? ActionStatus::idle() : recorded.first(),
                  placed ? ActionStatus::idle()
                         : ActionStatus::failed(QStringLiteral(
                               "The paste shortcut was sent, but the field did not change.")));
    }
}
