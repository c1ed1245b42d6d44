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

// The reply road over the real desktop: the reply hot key remembers mousepad, another window
// takes the keyboard, and the reply goes into mousepad's editor, confirmed over AT-SPI.
class X11ReplyPaste : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        pasteboard.followFetches(connection);
        accessibility.raiseWindow = [this](qint64 pid, const QRect& extents) {
            return workspace.activateWindowAt(pid, extents);
        };
    }

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

    // Starts a program, types into it and remembers it as the reply hot key would; its pid.
    qint64 startAndRemember(const QString& program, const QStringList& args, const QString& title,
                            const QString& typed = QStringLiteral("Hello")) {
        x11Session().start(program, args);
        const QString window = x11Session().waitForWindow(title, 15000);
        if (window.isEmpty()) {
            return 0;
        }
        x11Session().activate(window);
        if (!typed.isEmpty()) {
            x11Session().type(typed);
        }
        const qint64 pid = x11Session().xdotool({"getwindowpid", window}).trimmed().toLongLong();
        XSession::waitUntil([&] {
            return workspace.frontmostApplication() &&
                   workspace.frontmostApplication()->processIdentifier == pid;
        });
        focus.rememberFrontmostApplication();
        return focus.rememberedWindow() ? pid : 0;
    }
    // Our own window has the keyboard, as the assistant panel would, when the reply is pasted.
    std::shared_ptr<TaskOutcome<void>> replyFromOurWindow(qint64 pid) {
        QLineEdit own;
        own.show();
        x11Session().activate(QString::number(own.winId()));
        XSession::waitUntil([&] { return own.hasFocus(); });
        auto outcome = startTask(service.pasteAIReply(QStringLiteral(" and thanks"), pid));
        XSession::waitUntil([&] { return outcome->done; }, 8000);
        return outcome;
    }
    QString focusedValue(qint64 pid) {
        const auto editor =
            accessibility.attribute(accessibility.applicationElement(pid), "AXFocusedUIElement");
        const auto* handle = editor ? std::get_if<AXElementPtr>(&*editor) : nullptr;
        const auto value = handle ? accessibility.attribute(*handle, "AXValue") : std::nullopt;
        return value ? std::get<QString>(*value) : QString();
    }
};

// A single-line GTK entry in a dialog, as chat inputs are (empty: GTK selects an entry's text
// when its window comes back, so a draft would be replaced).
TEST_F(X11ReplyPaste, TheReplyLandsInAGtkEntry) {
    if (QStandardPaths::findExecutable("zenity").isEmpty()) {
        GTEST_SKIP() << "zenity is not installed";
    }
    pasteboard.setPlainText("user text");
    const qint64 pid = startAndRemember("zenity", {"--entry", "--title=Reply"}, "Reply", {});
    ASSERT_GT(pid, 0);
    auto outcome = replyFromOurWindow(pid);
    EXPECT_FALSE(outcome->error) << outcome->errorDescription().toStdString();
    EXPECT_EQ(focusedValue(pid), QStringLiteral(" and thanks"));
    EXPECT_TRUE(XSession::waitUntil([&] { return pasteboard.plainText() == "user text"; }));
    x11Session().key("Escape");
}

TEST_P(X11ReplyPaste, TheReplyLandsInMousepadAndTheClipboardComesBack) {
    ASSERT_TRUE(accessibility.isAvailable());
    const bool image = GetParam();
    const QByteArray png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01", 20);
    const PasteboardValue userValue =
        image ? PasteboardValue{QStringLiteral("image/png"), png}
              : PasteboardValue{QStringLiteral("text/plain"), QByteArray("user text")};
    pasteboard.writeItems({PasteboardItem{{userValue}}});

    const qint64 pid = startAndRemember("mousepad", {}, "Mousepad");
    ASSERT_GT(pid, 0);
    auto outcome = replyFromOurWindow(pid);
    EXPECT_FALSE(outcome->error) << outcome->errorDescription().toStdString();

    const auto editor =
        accessibility.attribute(accessibility.applicationElement(pid), "AXFocusedUIElement");
    ASSERT_TRUE(editor);
    const auto value = accessibility.attribute(std::get<AXElementPtr>(*editor), "AXValue");
    EXPECT_EQ(value ? std::get<QString>(*value) : QString(), QStringLiteral("Hello and thanks"));
    // The rows the editor search reads.
    const AXElementPtr field = std::get<AXElementPtr>(*editor);
    EXPECT_EQ(accessibility.attribute(field, "AXNumberOfCharacters"), AXValue(16.0));
    EXPECT_EQ(accessibility.attribute(field, "AXEnabled"), AXValue(true));
    EXPECT_EQ(accessibility.isAttributeSettable(field, "AXFocused"), true);
    const auto size = accessibility.attribute(field, "AXSize");
    EXPECT_TRUE(size && std::get<QSizeF>(*size).width() > 40);
    const auto found = accessibility.searchTextFields(focus.rememberedWindow(), 100);
    EXPECT_TRUE(found && found->size() == 1 && accessibility.isSameElement(found->at(0), field));
    EXPECT_TRUE(XSession::waitUntil([&] {
        return image ? pasteboard.itemData(0, "image/png") == png
                     : pasteboard.plainText() == QStringLiteral("user text");
    }));
    EXPECT_EQ(focus.restoringProcessIdentifier(), std::nullopt);
    x11Session().key("ctrl+z");
}

INSTANTIATE_TEST_SUITE_P(UserClipboard, X11ReplyPaste, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Image" : "Text"; });
