#include "CaptureFixture.h"
#include "capture/ReplyEditorSearch.h"

namespace {
using Node = std::shared_ptr<SimulatedAXNode>;

// A node under `parent`; `frame` as x, y, width, height (width 0: no frame).
Node add(const Node& parent, const QString& role, QRectF frame = {}, bool editable = true) {
    Node node = SimulatedAXNode::make(role);
    if (frame.width() > 0) {
        node->attributes.insert("AXPosition", AXValue(frame.topLeft()));
        node->attributes.insert("AXSize", AXValue(frame.size()));
    }
    if (editable) {
        node->settable.insert("AXFocused");
    }
    SimulatedAXNode::attach(node, parent);
    return node;
}

Node chain(const Node& top, int length, const QString& role = "AXGroup") {
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
    const Node field = add(window, "AXTextField", {0, 680, 1200, 20});
    field->attributes.insert("AXValue", AXValue(QString("typed")));
    const Node area = add(window, "AXTextArea", {0, 280, 400, 20});
    EXPECT_EQ(search.candidateScore(field), 8000);
    EXPECT_EQ(search.candidateScore(area), 4900);
    EXPECT_EQ(search.candidateScore(add(window, "AXTextArea")),
              std::numeric_limits<double>::lowest());
}

TEST_F(ReplyEditorTest, EditableTestByRoleStateAndAttributes) {
    struct Case {
        const char* role;
        QStringList attributes;
        bool focusSettable;
        std::optional<bool> enabled;
        bool editable;
    };
    const Case cases[] = {
        {"AXTextField", {}, true, std::nullopt, true},
        {"AXTextArea", {}, true, false, false},
        {"AXTextArea", {}, false, true, false},
        {"AXGroup", {"AXSelectedText"}, true, true, false},
        {"AXGroup", {"AXIsEditable", "AXSelectedText"}, true, true, true},
        {"AXGenericElement", {"AXEditableAncestor", "AXSelectedText"}, true, {}, true},
        {"AXGenericElement", {"AXHighestEditableAncestor"}, true, {}, false},
        {"AXButton", {}, true, true, false},
    };
    for (const auto& c : cases) {
        const Node node = add(window, c.role, {}, c.focusSettable);
        for (const auto& name : c.attributes) {
            node->attributes.insert(name,
                                    name == "AXIsEditable" ? AXValue(true) : AXValue(QString()));
        }
        if (c.enabled) {
            node->attributes.insert("AXEnabled", AXValue(*c.enabled));
        }
        EXPECT_EQ(search.isEditableElement(node, QString(c.role)), c.editable)
            << c.role << " " << c.attributes.join(',').toStdString();
    }
}

// Each walk stops at its bound: a hit just inside is found, one just past it is not.
TEST_F(ReplyEditorTest, WalksStopAtTheirBounds) {
    const Node field = add(window, "AXTextField");
    EXPECT_EQ(search.editableAncestor(chain(field, 15)), field);
    EXPECT_EQ(search.editableAncestor(chain(field, 16)), nullptr);

    const Node web = add(window, "AXWebArea", {}, false);
    EXPECT_TRUE(search.isInsideWebContent(chain(web, 63)));
    EXPECT_FALSE(search.isInsideWebContent(chain(web, 64)));

    // Breadth first: the window, 1,998 empty groups, then the web area as the 2,000th.
    const Node wide = add(window, "AXGroup", {}, false);
    SimulatedAXNode::attach(web, nullptr);
    for (int i = 0; i < 1997; ++i) {
        add(wide, "AXGroup", {}, false);
    }
    SimulatedAXNode::attach(field, nullptr);
    const Node late = add(wide, "AXWebArea", {}, false);
    EXPECT_EQ(search.webAreas(window), QList<AXElementPtr>{late});
    add(window, "AXWebArea", {}, false);
    SimulatedAXNode::attach(late, nullptr);
    SimulatedAXNode::attach(late, wide);
    EXPECT_EQ(search.webAreas(window).size(), 1);

    // The search asks for at most 100 results.
    late->searchResults = {field};
    search.searchEditableElements(late);
    EXPECT_EQ(desktop.accessibility.lastSearchLimit, 100);
}

TEST_F(ReplyEditorTest, TheFullWalkVisitsAtMost30000Elements) {
    const Node group = add(window, "AXGroup", {}, false);
    for (int i = 0; i < 29997; ++i) {
        add(group, "AXGroup", {}, false);
    }
    const Node last = add(group, "AXTextField");  // the 30,000th
    add(group, "AXTextField");
    EXPECT_EQ(search.editableElements(window), QList<AXElementPtr>{last});
}

TEST_F(ReplyEditorTest, CandidatesNeedAtLeast40By14) {
    const Node web = add(window, "AXWebArea", {}, false);
    const Node narrow = add(web, "AXTextArea", {0, 0, 39, 20});
    const Node flat = add(web, "AXTextArea", {0, 0, 100, 13});
    const Node fits = add(web, "AXTextArea", {0, 0, 40, 14});
    const Node frameless = add(web, "AXTextArea");
    const Node readOnly = add(web, "AXTextArea", {0, 0, 100, 100}, false);
    web->searchResults = {narrow, flat, fits, frameless, readOnly};
    EXPECT_EQ(search.editableElements(window), (QList<AXElementPtr>{fits, frameless}));
    web->searchResults.clear();
    EXPECT_EQ(search.editableElements(window), (QList<AXElementPtr>{fits, frameless}));
}

TEST_F(ReplyEditorTest, ActualFocusComparesIdentityRolesAndFrames) {
    const Node focused = add(window, "AXTextArea", {10, 10, 100, 20});
    editor.focused = focused;
    struct Case {
        const char* role;
        QRectF frame;
        bool same;
    };
    const Case cases[] = {{"AXTextArea", {10, 10, 100, 20}, true},
                          {"AXTextField", {10, 10, 100, 20}, false},
                          {"AXTextArea", {10, 11, 100, 20}, false},
                          {"AXTextArea", {}, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(search.isActuallyFocused(add(window, c.role, c.frame), editor.element), c.same)
            << c.role;
    }
    EXPECT_TRUE(search.isActuallyFocused(focused, editor.element));
    editor.focused = nullptr;
    EXPECT_FALSE(search.isActuallyFocused(focused, editor.element));
}

TEST_F(ReplyEditorTest, FocusFallsBackToPress) {
    const Node field = add(window, "AXTextField", {0, 0, 100, 20});
    field->focusesOnSet = false;
    EXPECT_FALSE(search.focus(field, editor.element));
    field->actions = {"AXPress"};
    field->focusesOnPress = true;
    EXPECT_TRUE(search.focus(field, editor.element));
    EXPECT_EQ(editor.focused, field);
    field->failsToSet = true;
    EXPECT_FALSE(search.focus(field, editor.element));
}

// Which editor the reply goes to.
TEST_F(ReplyEditorTest, ChoosesTheReplyEditor) {
    const Node toolbar = add(window, "AXToolbar", {}, false);
    const Node web = add(window, "AXWebArea", {}, false);
    const Node native = add(window, "AXTextArea", {0, 900, 800, 40});
    const Node search1 = add(toolbar, "AXTextField", {0, 0, 300, 20});
    search1->attributes.insert("ChromeAXNodeId", AXValue(QString("7")));
    const Node first = add(web, "AXTextArea", {0, 500, 600, 40});
    const Node second = add(web, "AXTextArea", {0, 500, 600, 40});
    web->searchResults = {first, second};

    // A focused field outside web content waits for the web candidates; equal scores: first.
    editor.focused = native;
    EXPECT_TRUE(focusReply());
    EXPECT_EQ(focus.replyEditor(), first);
    EXPECT_TRUE(desktop.accessibility.performed.contains("AXWindow:AXRaise"));

    // A toolbar field is no web content even with a browser's node id below the toolbar.
    EXPECT_FALSE(search.isInsideWebContent(search1));
    // Web candidates that cannot be focused: the focused native field after all.
    first->focusesOnSet = second->focusesOnSet = false;
    editor.focused = native;
    EXPECT_TRUE(focusReply());
    EXPECT_EQ(focus.replyEditor(), native);

    // A candidate already focused wins over the score.
    first->attributes.remove("AXFocused");
    second->focusesOnSet = true;
    second->attributes.insert("AXFocused", AXValue(true));
    editor.focused = nullptr;
    EXPECT_TRUE(focusReply());
    EXPECT_EQ(focus.replyEditor(), second);

    // Another process, or no window remembered: nothing.
    EXPECT_FALSE(focus.focusAIReplyEditor(panel.pid));
    editor.window = nullptr;
    desktop.bringToFront(panel.pid);
    desktop.bringToFront(editor.pid);
    VirtualClock::flushEvents();
    EXPECT_EQ(focus.rememberedWindow(), nullptr);
    EXPECT_FALSE(focus.focusAIReplyEditor(editor.pid));
}
