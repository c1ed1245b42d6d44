#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>

#include "platform/x11/AtspiAccessibility.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

namespace {
struct AccessibilityFixture : ::testing::Test {
    AtspiAccessibility accessibility;

    qint64 pidOf(const QString& window) {
        return x11Session().xdotool({"getwindowpid", window}).trimmed().toLongLong();
    }
    QString text(const std::optional<QString>& value) {
        return value.value_or(QStringLiteral("<none>"));
    }
    // The focused element of a process, once it has one.
    AXElementPtr focusedElement(qint64 pid) {
        AXElementPtr focused;
        XSession::waitUntil(
            [&] {
                const AXElementPtr app = accessibility.applicationElement(pid);
                focused = accessibility.focusedElement(app);
                return focused != nullptr;
            },
            20000);
        return focused;
    }
};
}  // namespace

// A GTK editor: the focused text view's selection and text.
TEST_F(AccessibilityFixture, ReadsAGtkEditorsSelectedTextAndValue) {
    ASSERT_TRUE(accessibility.isAvailable());
    x11Session().start("mousepad", {});
    const QString window = x11Session().waitForWindow("Mousepad", 15000);
    ASSERT_FALSE(window.isEmpty());
    x11Session().activate(window);
    x11Session().type("hello world");
    x11Session().key("shift+Home");

    const AXElementPtr focused = focusedElement(pidOf(window));
    ASSERT_TRUE(focused);
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return text(accessibility.selectedText(focused)) == "hello world"; }));
    EXPECT_EQ(text(accessibility.value(focused)), "hello world");
    EXPECT_EQ(accessibility.role(focused), AXRole::TextArea);
    EXPECT_TRUE(accessibility.hasText(focused));
    EXPECT_EQ(accessibility.canReplaceSelection(focused), true);

    // The parent chain leads to the application, which is no web area.
    const AXElementPtr parent = accessibility.parent(focused);
    EXPECT_TRUE(parent);
    EXPECT_FALSE(accessibility.isSameElement(parent, focused));
    EXPECT_TRUE(accessibility.isSameElement(focused, focusedElement(pidOf(window))));

    // GTK counts the inserted text in bytes: Cyrillic text arrives whole.
    ASSERT_TRUE(accessibility.replaceSelection(focused, QString::fromUtf8("привет мир")));
    EXPECT_TRUE(XSession::waitUntil([&] {
        return text(accessibility.value(focused)) == QString::fromUtf8("привет мир");
    })) << text(accessibility.value(focused)).toStdString();
}

// GTK 4 marks only its windows as showing: the focused text view is found inside, and found
// afresh once the focus moves to another one.
TEST_F(AccessibilityFixture, FollowsTheFocusInAGtk4Editor) {
    ASSERT_TRUE(accessibility.isAvailable());
    QProcess* editor = x11Session().start("gnome-text-editor", {"--standalone"});
    // Its windows must not stand in for those of the next test's editor.
    const auto stop = qScopeGuard([editor] {
        editor->kill();
        editor->waitForFinished(5000);
    });
    const QString window = x11Session().waitForWindow("Text Editor", 20000);
    ASSERT_FALSE(window.isEmpty());
    x11Session().activate(window);
    x11Session().type("first tab");
    x11Session().key("shift+Home");

    const qint64 pid = pidOf(window);
    const AXElementPtr first = focusedElement(pid);
    ASSERT_TRUE(first);
    EXPECT_EQ(accessibility.role(first), AXRole::TextArea);
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return text(accessibility.selectedText(first)) == "first tab"; }));

    x11Session().key("ctrl+t");
    // Typed before the new tab's view has the focus, the text would go to the first tab.
    ASSERT_TRUE(XSession::waitUntil([&] {
        const AXElementPtr now = focusedElement(pid);
        return now && !accessibility.isSameElement(now, first);
    }));
    x11Session().type("second tab");
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return text(accessibility.value(focusedElement(pid))) == "second tab"; }, 8000))
        << text(accessibility.value(focusedElement(pid))).toStdString();
    EXPECT_FALSE(accessibility.isSameElement(focusedElement(pid), first));
}

// A tree larger than one call's budget can walk, as any tree is on a loaded machine: the walk
// to the focused element goes on where the last ask stopped, so asking again finds it.
TEST_F(AccessibilityFixture, FindsTheFocusBeyondOneBudgetsWalk) {
    const QString window =
        startTestEditor(x11Session().path("fields.txt"), "Past Many", 1, {"--fields", "3000"});
    ASSERT_FALSE(window.isEmpty());
    x11Session().activate(window);
    x11Session().type("past the fields");
    const AXElementPtr focused = focusedElement(pidOf(window));
    ASSERT_TRUE(focused);
    EXPECT_EQ(text(accessibility.value(focused)), "past the fields");
}

// Setting the selected text replaces the selection in the editor itself.
TEST_F(AccessibilityFixture, ReplacesTheSelectionOfAQtEditor) {
    const QString dump = x11Session().path("ax.txt");
    const QString window = startTestEditor(dump, "Accessible Editor");
    ASSERT_FALSE(window.isEmpty());
    x11Session().activate(window);
    x11Session().type("one two three");
    ASSERT_TRUE(XSession::waitUntil([&] { return readTextFile(dump) == "one two three"; }));
    x11Session().key("ctrl+Left");
    x11Session().key("shift+ctrl+Left");  // selects "two "

    const AXElementPtr focused = focusedElement(pidOf(window));
    ASSERT_TRUE(focused);
    ASSERT_TRUE(XSession::waitUntil([&] {
        return text(accessibility.selectedText(focused)) == "two ";
    })) << "selected: "
        << text(accessibility.selectedText(focused)).toStdString();
    ASSERT_TRUE(accessibility.replaceSelection(focused, QString::fromUtf8("два ")));
    EXPECT_TRUE(XSession::waitUntil([&] {
        return readTextFile(dump) == QString::fromUtf8("one два three");
    })) << readTextFile(dump).toStdString();

    const auto fields =
        accessibility.searchTextFields(accessibility.applicationElement(pidOf(window)), 5);
    ASSERT_TRUE(fields);
    ASSERT_EQ(fields->size(), 1);
    EXPECT_TRUE(accessibility.isSameElement(fields->at(0), focused));
}

// A process without an accessible application finds nothing, quickly.
TEST_F(AccessibilityFixture, FindsNothingForUnknownProcessesWithinTheBudget) {
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(accessibility.applicationElement(999999), nullptr);
    EXPECT_EQ(accessibility.selectedText(nullptr), std::nullopt);
    EXPECT_FALSE(accessibility.replaceSelection(nullptr, QString("x")));
    EXPECT_LT(timer.elapsed(), 1000);
}
