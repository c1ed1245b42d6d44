#include <gtest/gtest.h>

#include <QLineEdit>

#include "support/TaskProbe.h"
#include "support/WebBrowser.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

// A chat page in Firefox and in Chromium, accessibility on: a textarea and a contenteditable
// field, one of them focused. The reply goes into the focused one, and the page shows what
// that field holds in its title.
namespace {

QString chatPage(const QString& name, const QString& focused) {
    return QStringLiteral(R"(<!doctype html><title>%1</title>
<textarea id="textarea" rows="3" cols="60"></textarea>
<div id="editable" contenteditable="true" style="width: 480px; min-height: 40px"></div>
<script>
const field = document.getElementById("%2");
field.oninput = () => document.title = "%1: " + (field.value ?? field.innerText).trim();
field.focus();
</script>)")
        .arg(name, focused);
}

struct ReplyField {
    WebBrowser::Kind browser;
    const char* field;
};

}  // namespace

class X11WebReply : public ::testing::TestWithParam<ReplyField> {};

TEST_P(X11WebReply, TheReplyLandsInTheFocusedFieldOfAPage) {
    const ReplyField& target = GetParam();
    if (WebBrowser::program(target.browser).isEmpty()) {
        GTEST_SKIP() << WebBrowser::name(target.browser) << " is not installed";
    }
    RealCapture c;
    ASSERT_TRUE(c.accessibility.isAvailable());
    c.clipboard.followFetches(c.connection);
    c.accessibility.raiseWindow = [&c](qint64 pid, const QRect& extents) {
        return c.x11Workspace.activateWindowAt(pid, extents);
    };
    c.clipboard.writeItems(
        {PasteboardItem{{PasteboardValue{QStringLiteral("text/plain"), QByteArray("user text")}}}});

    const QString name = QStringLiteral("Chat %1").arg(target.field);
    WebBrowser browser(x11Session(), target.browser);
    const QString window =
        browser.open(QString(target.field) + ".html", name, chatPage(name, target.field));
    ASSERT_FALSE(window.isEmpty());
    ASSERT_TRUE(x11Session().activate(window));
    // Keys typed before the page's renderer takes input are lost: typed again until the
    // field holds them.
    ASSERT_TRUE(XSession::waitUntil(
        [&] {
            x11Session().key("ctrl+a");
            x11Session().type("Hello");
            // The browser's name follows after a space (" - Chromium", " — Mozilla Firefox").
            return !x11Session().waitForWindow("^" + name + ": Hello( |$)", 5000).isEmpty();
        },
        60000));

    const qint64 pid = x11Session().xdotool({"getwindowpid", window}).trimmed().toLongLong();
    // The browser builds its tree for the bus some time after the page shows.
    ASSERT_TRUE(XSession::waitUntil(
        [&] {
            c.focus.rememberFrontmostApplication();
            return c.focus.rememberedWindow() != nullptr;
        },
        15000));
    QLineEdit own;
    own.show();
    x11Session().activate(QString::number(own.winId()));
    XSession::waitUntil([&] { return own.hasFocus(); });

    auto outcome = startTask(c.service.pasteAIReply(QStringLiteral(" and thanks"), pid));
    XSession::waitUntil([&] { return outcome->done; }, 20000);
    EXPECT_FALSE(outcome->error) << outcome->errorDescription().toStdString();
    EXPECT_FALSE(x11Session().waitForWindow("^" + name + ": Hello and thanks", 5000).isEmpty())
        << x11Session().xdotool({"getwindowname", window}).toStdString();
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return c.clipboard.plainText() == QStringLiteral("user text"); }));
}

INSTANTIATE_TEST_SUITE_P(Fields, X11WebReply,
                         ::testing::Values(ReplyField{WebBrowser::Kind::Chromium, "textarea"},
                                           ReplyField{WebBrowser::Kind::Chromium, "editable"},
                                           ReplyField{WebBrowser::Kind::Firefox, "textarea"},
                                           ReplyField{WebBrowser::Kind::Firefox, "editable"}),
                         [](const auto& info) {
                             return std::string(WebBrowser::name(info.param.browser)) + "_" +
                                    info.param.field;
                         });
