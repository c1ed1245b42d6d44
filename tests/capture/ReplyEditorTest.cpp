#include "CaptureFixture.h"
#include "capture/ReplyEditorSearch.h"

namespace {
using Node = std::shared_ptr<SimulatedAXNode>;

// A node under `parent`; `frame` as x, y, width, height (width 0: no frame).
Node add(const Node& parent, AXRole role, QRectF frame = {}, bool editable = true) {
    Node node = SimulatedAXNode::make(role);
    if (frame.width() > 0) {
        node->frame = frame;
    }
    node->focusable = editable;
    SimulatedAXNode::attach(node, parent);
    return node;
}

Node chain(const Node& top, int length, AXRole role = AXRole::Group) {
    Node node = top;
    for (int i = 0; i < length; ++i) {
        node = add(node, role, {}, false);
    }
    return node;
}
}  // namespace

class ReplyEditorTest : public CaptureTest {
protected:
    ReplyEditorSearch search{desktop.accessibility};
    Node window = editor.window;

    // The editor's window holds nothing but what the test adds.
    void SetUp() override {
        CaptureTest::SetUp();
        SimulatedAXNode::attach(editor.field, nullptr);
        editor.focused = nullptr;
    }
    bool focusReply() {
        desktop.bringToFront(editor.pid);
        return focus.focusAIReplyEditor(editor.pid);
    }
};

TEST_F(ReplyEditorTest, ScoresFavourEmptyLowWideTextAreas) {
    const Node field = add(window, AXRole::TextField, {0, 680, 1200, 20});
    field->value = QString("typed");
    const Node area = add(window, AXRole::TextArea, {0, 280, 400, 20});
    EXPECT_EQ(search.candidateScore(field), 8000);
    EXPECT_EQ(search.candidateScore(area), 4900);
    EXPECT_EQ(search.candidateScore(add(window, AXRole::TextArea)),
              std::numeric_limits<double>::lowest());
}

TEST_F(ReplyEditorTest, EditableTestByRoleStateAndAttributes) {
    struct Case {
        AXRole role;
        std::optional<bool> editsText;
        bool hasText;
        bool focusable;
        std::optional<bool> enabled;
        bool editable;
    };
    const Case cases[] = {
        {AXRole::TextField, {}, false, true, std::nullopt, true},
        {AXRole::TextArea, {}, false, true, false, false},
        {AXRole::TextArea, {}, false, false, true, false},
        {AXRole::Group, {}, true, true, true, false},
        {AXRole::Group, false, true, true, true, false},
        {AXRole::Group, true, true, true, true, true},
        {AXRole::GenericElement, true, true, true, {}, true},
        {AXRole::GenericElement, true, false, true, {}, false},
        {AXRole::Button, {}, false, true, true, false},
    };
    for (const auto& c : cases) {
        const Node node = add(window, c.role, {}, c.focusable);
        node->editable = c.editsText;
        if (c.hasText) {
            node->selectedText = QString();
        }
        node->enabled = c.enabled;
        EXPECT_EQ(search.isEditableElement(node, c.role), c.editable)
            << int(c.role) << " " << c.editsText.value_or(false) << c.hasText;
    }
}

// Each walk stops at its bound: a hit just inside is found, one just past it is not.
TEST_F(ReplyEditorTest, WalksStopAtTheirBounds) {
    const Node field = add(window, AXRole::TextField);
    EXPECT_EQ(search.editableAncestor(chain(field, 15)), field);
    EXPECT_EQ(search.editableAncestor(chain(field, 16)), nullptr);

    const Node web = add(window, AXRole::WebArea, {}, false);
    EXPECT_TRUE(search.isInsideWebContent(chain(web, 63)));
    EXPECT_FALSE(search.isInsideWebContent(chain(web, 64)));

    // Breadth first: the window, 1,998 empty groups, then the web area as the 2,000th.
    const Node wide = add(window, AXRole::Group, {}, false);
    SimulatedAXNode::attach(web, nullptr);
    for (int i = 0; i < 1997; ++i) {
        add(wide, AXRole::Group, {}, false);
    }
    SimulatedAXNode::attach(field, nullptr);
    const Node late = add(wide, AXRole::WebArea, {}, false);
    EXPECT_EQ(search.webAreas(window), QList<AXElementPtr>{late});
    add(window, AXRole::WebArea, {}, false);
    SimulatedAXNode::attach(late, nullptr);
    SimulatedAXNode::attach(late, wide);
    EXPECT_EQ(search.webAreas(window).size(), 1);

    // The search asks for at most 100 results.
    late->searchResults = {field};
    search.searchEditableElements(late);
    EXPECT_EQ(desktop.accessibility.lastSearchLimit, 100);
}

TEST_F(ReplyEditorTest, TheFullWalkVisitsAtMost30000Elements) {
    const Node group = add(window, AXRole::Group, {}, false);
    for (int i = 0; i < 29997; ++i) {
        add(group, AXRole::Group, {}, false);
    }
    const Node last = add(group, AXRole::TextField);  // the 30,000th
    add(group, AXRole::TextField);
    EXPECT_EQ(search.editableElements(window), QList<AXElementPtr>{last});
}

TEST_F(ReplyEditorTest, CandidatesNeedAtLeast40By14) {
    const Node web = add(window, AXRole::WebArea, {}, false);
    const Node narrow = add(web, AXRole::TextArea, {0, 0, 39, 20});
    const Node flat = add(web, AXRole::TextArea, {0, 0, 100, 13});
    const Node fits = add(web, AXRole::TextArea, {0, 0, 40, 14});
    const Node frameless = add(web, AXRole::TextArea);
    const Node readOnly = add(web, AXRole::TextArea, {0, 0, 100, 100}, false);
    web->searchResults = {narrow, flat, fits, frameless, readOnly};
    EXPECT_EQ(search.editableElements(window), (QList<AXElementPtr>{fits, frameless}));
    web->searchResults.clear();
    EXPECT_EQ(search.editableElements(window), (QList<AXElementPtr>{fits, frameless}));
}

TEST_F(ReplyEditorTest, ActualFocusComparesIdentityRolesAndFrames) {
    const Node focused = add(window, AXRole::TextArea, {10, 10, 100, 20});
    editor.focused = focused;
    struct Case {
        AXRole role;
        QRectF frame;
        bool same;
    };
    const Case cases[] = {{AXRole::TextArea, {10, 10, 100, 20}, true},
                          {AXRole::TextField, {10, 10, 100, 20}, false},
                          {AXRole::TextArea, {10, 11, 100, 20}, false},
                          {AXRole::TextArea, {}, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(search.isActuallyFocused(add(window, c.role, c.frame), editor.element), c.same)
            << int(c.role);
    }
    EXPECT_TRUE(search.isActuallyFocused(focused, editor.element));
    editor.focused = nullptr;
    EXPECT_FALSE(search.isActuallyFocused(focused, editor.element));
}

TEST_F(ReplyEditorTest, FocusFallsBackToPress) {
    const Node field = add(window, AXRole::TextField, {0, 0, 100, 20});
    field->focusesOnSet = false;
    EXPECT_FALSE(search.focus(field, editor.element));
    field->pressable = true;
    field->focusesOnPress = true;
    EXPECT_TRUE(search.focus(field, editor.element));
    EXPECT_EQ(editor.focused, field);
    field->failsToSet = true;
    EXPECT_FALSE(search.focus(field, editor.element));
}

// Which editor the reply goes to.
TEST_F(ReplyEditorTest, ChoosesTheReplyEditor) {
    const Node toolbar = add(window, AXRole::Toolbar, {}, false);
    const Node web = add(window, AXRole::WebArea, {}, false);
    const Node native = add(window, AXRole::TextArea, {0, 900, 800, 40});
    const Node search1 = add(toolbar, AXRole::TextField, {0, 0, 300, 20});
    search1->browserNodeId = QString("7");
    const Node first = add(web, AXRole::TextArea, {0, 500, 600, 40});
    const Node second = add(web, AXRole::TextArea, {0, 500, 600, 40});
    web->searchResults = {first, second};

    // A focused field outside web content waits for the web candidates; equal scores: first.
    editor.focused = native;
    EXPECT_TRUE(focusReply());
    EXPECT_EQ(focus.replyEditor(), first);
    EXPECT_TRUE(desktop.accessibility.raised.contains(window));

    // A toolbar field is no web content even with a browser's node id below the toolbar.
    EXPECT_FALSE(search.isInsideWebContent(search1));
    // Web candidates that cannot be focused: the focused native field after all.
    first->focusesOnSet = second->focusesOnSet = false;
    editor.focused = native;
    EXPECT_TRUE(focusReply());
    EXPECT_EQ(focus.replyEditor(), native);

    // A candidate already focused wins over the score.
    first->focused.reset();
    second->focusesOnSet = true;
    second->focused = true;
    editor.focused = nullptr;
    EXPECT_TRUE(focusReply());
    EXPECT_EQ(focus.replyEditor(), second);

    // Another process, or no window remembered: nothing.
    EXPECT_FALSE(focus.focusAIReplyEditor(panel.pid));
    SimulatedApp& other = desktop.launch(QStringLiteral("org.example.other"));
    other.window = nullptr;
    desktop.bringToFront(other.pid);
    VirtualClock::flushEvents();
    EXPECT_EQ(focus.rememberedProcessIdentifier(), other.pid);
    EXPECT_EQ(focus.rememberedWindow(), nullptr);
    EXPECT_FALSE(focus.focusAIReplyEditor(other.pid));
}

TEST_F(ReplyEditorTest,
       AnApplicationRememberedBeforeItShowedItsWindowGetsTheReplyInTheWindowItShows) {
    const Node field = add(window, AXRole::TextArea, {0, 600, 400, 40});
    editor.window = nullptr;
    desktop.bringToFront(desktop.launch(QStringLiteral("org.example.other")).pid);
    desktop.bringToFront(editor.pid);
    VirtualClock::flushEvents();
    ASSERT_EQ(focus.rememberedProcessIdentifier(), editor.pid);
    ASSERT_EQ(focus.rememberedWindow(), nullptr);

    editor.window = window;
    EXPECT_TRUE(focusReply());
    EXPECT_EQ(focus.replyEditor(), field);
}
