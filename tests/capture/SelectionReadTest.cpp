#include "CaptureFixture.h"

namespace {

enum ReadOption { SelectAll = 1, NoFallback = 2, Fast = 4, CancelAtEnd = 8 };
const char* const kNoSelection = "No selected text.";
const char* const kNoCopy = "Could not send copy shortcut.";

struct ReadCase {
    const char* name;
    std::function<void(CaptureTest&)> setup;
    int options;
    qint64 endMs;
    QList<qint64> selectAllDowns, copyDowns;
    const char* value;  // else the error
    Kind kind = Kind::emptySelection;
    const char* error = kNoSelection;
};

// clang-format off
void selectNothing(CaptureTest& t) { t.editor.setText(QStringLiteral("Hello world"), 3, 0); }
void unreadable(CaptureTest& t) { t.editor.field->failing.append(SimulatedAXNode::Query::SelectedText); }

// Standard timing: 180 ms activation pause, Copy key-up 20 ms later, waits of 180, 300 and
// 420 ms; a held modifier is polled every 35 ms. Fast timing has no pause and polls the
// pasteboard up to 120 ms per attempt. A blank selection counts as none; an unreadable one
// falls back to the focused field's value.
const ReadCase kCases[] = {
    {"spaces kept", [](auto& t) { t.editor.setText(QStringLiteral("a  Hello \nb"), 1, 9); }, 0, 380, {}, {180}, "  Hello \n"},
    {"late write", [](auto& t) { t.editor.copyWriteDelayMs = 150; }, 0, 380, {}, {180}, "Hello"},
    {"second attempt", [](auto& t) { t.editor.copyFromAttempt = 2; }, 0, 700, {}, {180, 380}, "Hello"},
    {"select all", selectNothing, SelectAll, 520, {180}, {320}, "Hello world"},
    {"held modifiers", [](auto& t) { t.desktop.keys.holdModifiers(KeyModifier::Shift, 300); }, 0, 520, {}, {320}, "Hello"},
    {"fast, late copy", [](auto& t) { t.editor.copyWriteDelayMs = 50; }, NoFallback | Fast, 50, {}, {0}, "Hello"},
    {"fast, nothing", [](auto& t) { selectNothing(t); t.desktop.keys.holdModifiers(KeyModifier::Shift, 100000); }, NoFallback | Fast, 420, {}, {0, 140, 280}, nullptr},
    {"nothing, no fallback to the value", selectNothing, 0, 1140, {}, {180, 380, 700}, nullptr},
    {"unreadable", [](auto& t) { selectNothing(t); unreadable(t); }, 0, 1140, {}, {180, 380, 700}, "Hello world"},
    {"only blanks", [](auto& t) { t.editor.setText(QStringLiteral(" \n "), 0, 3); unreadable(t); }, 0, 1140, {}, {180, 380, 700}, nullptr},
    {"no permission", [](auto& t) { t.desktop.keys.trusted = false; }, SelectAll, 180, {}, {}, nullptr, Kind::copyEventFailed, kNoCopy},
    {"copy not sent", [](auto& t) { t.desktop.keys.failsToPost = true; }, 0, 180, {}, {}, nullptr, Kind::copyEventFailed, kNoCopy},
    {"cancelled while waiting", selectNothing, CancelAtEnd, 450, {}, {180, 380}, nullptr},
    {"cancelled while activating", [](auto&) {}, CancelAtEnd, 100, {}, {}, nullptr},
};
// clang-format on

class SelectionReadTest : public CaptureTest, public ::testing::WithParamInterface<ReadCase> {};

}  // namespace

// Each shortcut goes to the remembered editor with Control, key-up 20 ms after key-down; the
// pasteboard is cleared before each Copy, and the user's is written back exactly once.
TEST_P(SelectionReadTest, ReadsOnTheClockAndGivesTheUsersPasteboardBack) {
    const ReadCase& c = GetParam();
    c.setup(*this);
    const int options = c.options;
    auto outcome =
        startTask(read(options & SelectAll, !(options & NoFallback),
                       options & Fast ? PasteboardTiming::fast() : PasteboardTiming::standard()));
    if (options & CancelAtEnd) {
        cancelAt(c.endMs, outcome);
    }
    EXPECT_EQ(runToEnd(outcome), c.endMs);
    if (c.value) {
        EXPECT_EQ(outcome->value, QString::fromUtf8(c.value));
        EXPECT_EQ(readTarget, (FocusTarget{editor.pid, editor.bundleIdentifier}));
    } else if (!(options & CancelAtEnd)) {
        expectError(*outcome, c.kind, c.error);
    }
    EXPECT_EQ(desktop.keys.downTimes(KeyCode::A), c.selectAllDowns);
    EXPECT_EQ(desktop.keys.downTimes(KeyCode::C), c.copyDowns);
    const auto& log = desktop.keys.log;
    EXPECT_EQ(log.size(), 2 * (c.selectAllDowns.size() + c.copyDowns.size()));
    for (int i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].modifiers, KeyModifiers(KeyModifier::Control));
        EXPECT_EQ(log[i].targetPid, editor.pid);
        EXPECT_EQ(log[i].atMs - log[i - i % 2].atMs, i % 2 ? 20 : 0);
    }
    EXPECT_EQ(desktop.pasteboard.clearCount(),
              c.copyDowns.size() + (desktop.keys.failsToPost ? 2 : 1));
    EXPECT_EQ(desktop.pasteboard.writeCount(), 1);
    expectUserPasteboardBack();
}

INSTANTIATE_TEST_SUITE_P(Reads, SelectionReadTest, ::testing::ValuesIn(kCases));

using SelectionReadEdgeTest = CaptureTest;

// Held modifiers make the read outlast one 3.5 s suppression: it is renewed before each Copy.
TEST_F(SelectionReadEdgeTest, TheSuppressionIsRenewedBeforeEachCopyAttempt) {
    desktop.keys.holdModifiers(KeyModifier::Alt, 1000000);
    editor.setText(QStringLiteral("Hello world"), 3, 0);
    editor.copyFromAttempt = 3;
    auto outcome = startTask(read(true));
    desktop.clock.advance(3510);
    EXPECT_EQ(desktop.keys.downTimes(KeyCode::C), QList<qint64>({1440, 2200, 3080}));
    EXPECT_TRUE(history.isCaptureSuppressed());
    EXPECT_EQ(runToEnd(outcome), 3520);
    EXPECT_EQ(outcome->value, QStringLiteral("Hello world"));
    // Four for the read, one for the watch for late copies that follows it.
    EXPECT_EQ(capture.count(false), 5);
    expectHandshakeAroundEveryWrite();
}

// With nothing remembered the frontmost application is asked; an empty pasteboard stays so.
TEST_F(SelectionReadEdgeTest, NothingRememberedAndAnEmptyUserPasteboard) {
    FocusService fresh(desktop.workspace, desktop.accessibility);
    PasteboardService other({desktop.clock, desktop.pasteboard, desktop.keys, desktop.workspace,
                             desktop.accessibility, fresh, capture});
    desktop.bringToFront(editor.pid);
    desktop.pasteboard.putItems({});
    initialChangeCount = desktop.pasteboard.changeCount();
    auto outcome = startTask(other.readSelectedTextTransient(false, false, {}));
    runToEnd(outcome);
    ASSERT_TRUE(outcome->value);
    EXPECT_EQ(outcome->value->text, QStringLiteral("Hello"));
    EXPECT_EQ(outcome->value->target, std::nullopt);
    EXPECT_EQ(desktop.pasteboard.itemCount(), 0);
    EXPECT_EQ(desktop.pasteboard.writeCount(), 0);
    expectHandshakeAroundEveryWrite(other);
}

// The user moved to a window whose process cannot be found (no process id, a remote
// client): the action reads nothing rather than the application the user left.
TEST_F(SelectionReadEdgeTest, ARunFromAWindowOfNoKnownProcessLeavesTheEarlierApplicationAlone) {
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

// An editor that copies the caret's line when nothing is selected (and moves the caret to the
// line's start): that line is no selection, and the caret goes back. What accessibility cannot
// vouch for is read as before.
struct LineCopyCase {
    const char* name;
    const char* text;
    int start, length;
    bool editable;
    const char* value;  // else "No selected text."
    int caretAfter, copies;
};
const LineCopyCase kLineCopyCases[] = {
    {"nothing selected", "hello\nghbdtn\nend", 9, 0, true, nullptr, 9, 1},
    {"a line of blanks", "hello\n   \nend", 9, 0, true, nullptr, 9, 3},
    {"a selected line", "hello\nghbdtn\nend", 6, 7, true, "ghbdtn\n", 13, 1},
    {"not known to be editable", "hello\nghbdtn\nend", 9, 0, false, "ghbdtn\n", 6, 1},
};

class LineCopyTest : public CaptureTest, public ::testing::WithParamInterface<LineCopyCase> {};

TEST_P(LineCopyTest, ALineCopiedForWantOfASelectionIsNone) {
    const LineCopyCase& c = GetParam();
    editor.copiesLineWithoutSelection = true;
    editor.field->editable = c.editable ? std::optional<bool>(true) : std::nullopt;
    editor.setText(QString::fromUtf8(c.text), c.start, c.length);
    auto outcome = startTask(read(false, true));
    runToEnd(outcome);
    if (c.value) {
        EXPECT_EQ(outcome->value, QString::fromUtf8(c.value));
    } else {
        expectError(*outcome, Kind::emptySelection, kNoSelection);
    }
    EXPECT_EQ(editor.copyCount, c.copies);
    EXPECT_EQ(editor.selectionStart + editor.selectionLength, c.caretAfter);
    EXPECT_EQ(editor.text, QString::fromUtf8(c.text));
    expectUserPasteboardBack();
}

INSTANTIATE_TEST_SUITE_P(Reads, LineCopyTest, ::testing::ValuesIn(kLineCopyCases));
