#include <gtest/gtest.h>

#include <QLineEdit>
#include <QStandardPaths>

#include "capture/FocusService.h"
#include "capture/PasteboardService.h"
#include "clipboard/ClipboardHistoryService.h"
#include "platform/MemoryDefaults.h"
#include "platform/RealClock.h"
#include "platform/x11/AtspiAccessibility.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11KeyEvents.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Workspace.h"
#include "support/TaskProbe.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

// A program the reply goes into, what the user typed there first, and the key that tidies up.
// The GTK entry sits in a dialog, as chat inputs do (empty: GTK selects an entry's text when its
// window comes back, so a draft would be replaced).
struct ReplyTarget {
    const char* name;
    const char* program;
    QStringList args;
    const char* title;
    QString typed;
    const char* tidyKey;
    bool imageOnClipboard;
};

class X11ReplyPaste : public ::testing::TestWithParam<ReplyTarget> {
protected:
    std::shared_ptr<X11Connection> connection = std::make_shared<X11Connection>();
    X11Pasteboard pasteboard;
    RealClock clock;
    X11KeyEvents keys{connection};
    X11Workspace workspace{connection};
    AtspiAccessibility accessibility;
    MemoryDefaults historyStore;
    ClipboardHistoryService history{pasteboard, clock, historyStore};
    FocusService focus{workspace, accessibility};
    PasteboardService service{{clock, pasteboard, keys, workspace, accessibility, focus, history}};
};

// The reply road over the real desktop: the reply hot key remembers the target, our own window
// takes the keyboard, the reply goes into the target's editor, confirmed over AT-SPI, and the
// user's clipboard comes back.
TEST_P(X11ReplyPaste, TheReplyLandsAndTheClipboardComesBack) {
    const ReplyTarget& target = GetParam();
    if (QString(target.program) != "mousepad" &&
        QStandardPaths::findExecutable(target.program).isEmpty()) {
        GTEST_SKIP() << target.program << " is not installed";
    }
    ASSERT_TRUE(accessibility.isAvailable());
    pasteboard.followFetches(connection);
    accessibility.raiseWindow = [this](qint64 pid, const QRect& extents) {
        return workspace.activateWindowAt(pid, extents);
    };
    const QByteArray png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01", 20);
    pasteboard.writeItems(
        {PasteboardItem{{target.imageOnClipboard ? PasteboardValue{QStringLiteral("image/png"), png}
                                                 : PasteboardValue{QStringLiteral("text/plain"),
                                                                   QByteArray("user text")}}}});

    x11Session().start(target.program, target.args);
    const QString window = x11Session().waitForWindow(target.title, 15000);
    ASSERT_FALSE(window.isEmpty());
    ASSERT_TRUE(x11Session().activate(window));
    if (!target.typed.isEmpty()) {
        x11Session().type(target.typed);
    }
    const qint64 pid = x11Session().xdotool({"getwindowpid", window}).trimmed().toLongLong();
    XSession::waitUntil([&] {
        const auto front = workspace.frontmostApplication();
        return front && front->processIdentifier == pid;
    });
    // The editor joins the accessibility bus a while after its window shows, later still on a
    // loaded machine: remembered once its focused field holds what was typed.
    ASSERT_TRUE(XSession::waitUntil([&] {
        focus.rememberFrontmostApplication();
        const AXElementPtr element =
            accessibility.focusedElement(accessibility.applicationElement(pid));
        const auto value = element ? accessibility.value(element) : std::nullopt;
        return focus.rememberedWindow() && element &&
               (value ? *value == target.typed : target.typed.isEmpty());
    }));

    QLineEdit own;
    own.show();
    x11Session().activate(QString::number(own.winId()));
    XSession::waitUntil([&] { return own.hasFocus(); });
    auto outcome = startTask(service.pasteAIReply(QStringLiteral(" and thanks"), pid));
    XSession::waitUntil([&] { return outcome->done; }, 20000);
    EXPECT_FALSE(outcome->error) << outcome->errorDescription().toStdString();

    const auto editor = accessibility.focusedElement(accessibility.applicationElement(pid));
    ASSERT_TRUE(editor);
    EXPECT_EQ(accessibility.value(editor).value_or(QString()), target.typed + " and thanks");
    EXPECT_TRUE(XSession::waitUntil([&] {
        return target.imageOnClipboard ? pasteboard.itemData(0, "image/png") == png
                                       : pasteboard.plainText() == QStringLiteral("user text");
    }));
    EXPECT_EQ(focus.restoringProcessIdentifier(), std::nullopt);
    x11Session().key(target.tidyKey);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, X11ReplyPaste,
    ::testing::Values(
        ReplyTarget{"MousepadText", "mousepad", {}, "Mousepad", "Hello", "ctrl+z", false},
        ReplyTarget{"MousepadImage", "mousepad", {}, "Mousepad", "Hello", "ctrl+z", true},
        ReplyTarget{
            "GtkEntry", "zenity", {"--entry", "--title=Reply"}, "Reply", {}, "Escape", false},
        // GTK 4 marks only its windows as showing.
        ReplyTarget{"Gtk4Editor",
                    "gnome-text-editor",
                    {"--standalone"},
                    "Text Editor",
                    "Hello",
                    "ctrl+z",
                    false}),
    [](const auto& info) { return std::string(info.param.name); });
