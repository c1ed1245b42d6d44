#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include "E2eRoadOptions.h"
#include "support/NiveloTree.h"
#include "support/WebBrowser.h"

// Reply mode where most chats are: a message selected in a page's transcript (in Firefox and
// in Chromium) or in a GTK 4 editor, a reply style's hot key, and the reply pasted back into
// the chat's message box; Alt+I and Alt+R over a selected paragraph of a page.
namespace {

const QString kMessage = QStringLiteral("Are we still on for lunch on Friday?");
const QString kReply = QStringLiteral("Sounds good, see you at noon.");
const QString kParagraph =
    QStringLiteral("The quarterly report is due next week and still needs the sales figures.");

// The transcript's first message is selected when "1" is pressed in the page, the paragraph
// with a link when "2" is; the title shows what the message box holds.
const char kChatPage[] = R"(<!doctype html><meta charset="utf-8"><title>Chat</title>
<body style="font: 18px sans-serif">
<div id="transcript">
<p id="message">Are we still on for lunch on Friday?</p>
<p>Earlier: the menu is on the <a href="#menu">board</a>.</p>
<p id="paragraph">The quarterly report is due <a href="#due">next week</a> and still needs
<b>the sales figures</b>.</p>
</div>
<textarea id="box" rows="3" cols="50" aria-label="Message"></textarea>
<script>
const box = document.getElementById("box");
box.oninput = () => document.title = "Chat: " + box.value;
document.addEventListener("keydown", event => {
  const target = {1: "message", 2: "paragraph"}[event.key];
  if (!target || event.ctrlKey || event.altKey || event.metaKey) return;
  const range = document.createRange();
  range.selectNodeContents(document.getElementById(target));
  getSelection().removeAllRanges();
  getSelection().addRange(range);
  document.title = "Chat " + target;
});
</script>)";

// Replies share no word with the message, so the echo check lets them through.
void answerReplies(NiveloRoad& road) {
    road.backend().setHandler([](const RecordedRequest& request) {
        const QJsonObject body = QJsonDocument::fromJson(request.body).object();
        if (body.value("action").toString() == "chat_reply") {
            return CannedReply::result(kReply);
        }
        return CannedReply::result(NiveloRoad::standInAnswer(body.value("text").toString()));
    });
}

QString requestText(NiveloRoad& road, int index) {
    return QJsonDocument::fromJson(road.backend().requests().value(index).body)
        .object()
        .value("text")
        .toString();
}

// Opens the chat page and puts the keyboard into its document; the page's window or "".
QString openChat(NiveloRoad& road, WebBrowser& browser) {
    XSession& session = road.session();
    const QString window = browser.open("chat.html", "Chat", kChatPage);
    if (window.isEmpty()) {
        return {};
    }
    session.activate(window);
    const QRect frame = session.windowGeometry(window);
    session.xdotool({"mousemove", QString::number(frame.center().x()),
                     QString::number(frame.bottom() - 30), "click", "1"});
    return window;
}

// Presses the page's key that selects a part of it; false when the page did not answer.
bool selectInPage(XSession& session, const QString& key, const QString& part) {
    return pressUntilTitle(session, key, "^Chat " + part);
}

// The reply hot key over the selection, then the panel's paste button: the request carries
// the message, the user's clipboard comes back, and the reply lands where `landed` looks.
void replyAndPaste(NiveloRoad& road, const std::function<bool()>& landed) {
    XSession& session = road.session();
    session.setClipboardText("copied by the user");
    road.pressKeys({"Super_L", "Alt_L", "1"});
    NiveloTree tree(session, road.nivelo()->processId());
    ASSERT_TRUE(XSession::waitUntil([&] { return tree.shows(kReply); }, 20000))
        << road.diagnostics("web-reply").toStdString();
    ASSERT_EQ(road.backend().requestCount(), 1);
    EXPECT_EQ(requestText(road, 0), kMessage);
    const std::optional<QRect> paste = tree.find("Paste reply");
    ASSERT_TRUE(paste && !paste->isEmpty());
    clickAt(session, *paste);
    EXPECT_TRUE(XSession::waitUntil([&] { return session.visibleWindowOfInstance().isEmpty(); }));
    EXPECT_TRUE(XSession::waitUntil([&] {
        return session.clipboardText() == "copied by the user";
    })) << road.diagnostics("web-reply-clipboard").toStdString();
    EXPECT_TRUE(XSession::waitUntil(landed, 10000))
        << road.diagnostics("web-reply-paste").toStdString();
}

}  // namespace

class WebReplyRoad : public ::testing::TestWithParam<WebBrowser::Kind> {};

TEST_P(WebReplyRoad, RepliesToAMessageSelectedInAPageAndPastesIntoItsMessageBox) {
    if (WebBrowser::program(GetParam()).isEmpty()) {
        GTEST_SKIP() << WebBrowser::name(GetParam()) << " is not installed";
    }
    NiveloRoad road(e2eAccessibleRoadOptions());
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    answerReplies(road);
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    WebBrowser browser(session, GetParam());
    const QString window = openChat(road, browser);
    ASSERT_FALSE(window.isEmpty());
    ASSERT_TRUE(selectInPage(session, "1", "message"));

    replyAndPaste(road, [&] {
        return session.xdotool({"getwindowname", window}).startsWith("Chat: " + kReply);
    });
}

INSTANTIATE_TEST_SUITE_P(Browsers, WebReplyRoad,
                         ::testing::Values(WebBrowser::Kind::Firefox, WebBrowser::Kind::Chromium),
                         [](const auto& info) {
                             return std::string(WebBrowser::name(info.param));
                         });

TEST(WebAssistantRoad, OpensTheAssistantWithAParagraphSelectedInFirefoxAsItsContext) {
    if (WebBrowser::program(WebBrowser::Kind::Firefox).isEmpty()) {
        GTEST_SKIP() << "Firefox is not installed";
    }
    NiveloRoad road(e2eAccessibleRoadOptions());
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    WebBrowser browser(session, WebBrowser::Kind::Firefox);
    ASSERT_FALSE(openChat(road, browser).isEmpty());
    ASSERT_TRUE(selectInPage(session, "2", "paragraph"));

    road.pressAltHotKey("i");
    ASSERT_TRUE(XSession::waitUntil([&] { return !session.visibleWindowOfInstance().isEmpty(); }))
        << road.diagnostics("web-assistant-open").toStdString();
    NiveloTree tree(session, road.nivelo()->processId());
    EXPECT_TRUE(XSession::waitUntil([&] {
        return tree.shows(QString("%1 chars").arg(kParagraph.size()));
    })) << road.diagnostics("web-assistant-context").toStdString();
    session.type("Make it shorter");
    session.key("Return");
    ASSERT_TRUE(XSession::waitUntil([&] { return road.backend().requestCount() == 1; }));
    EXPECT_EQ(requestText(road, 0),
              "Selected text:\n" + kParagraph + "\n\nRequest:\nMake it shorter");
}

TEST(WebPreviewRoad, TranslatesAParagraphSelectedInChromium) {
    if (WebBrowser::program(WebBrowser::Kind::Chromium).isEmpty()) {
        GTEST_SKIP() << "Chromium is not installed";
    }
    NiveloRoad road(e2eAccessibleRoadOptions());
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    WebBrowser browser(session, WebBrowser::Kind::Chromium);
    ASSERT_FALSE(openChat(road, browser).isEmpty());
    ASSERT_TRUE(selectInPage(session, "2", "paragraph"));

    road.pressAltHotKey("r");
    ASSERT_TRUE(XSession::waitUntil([&] { return road.backend().requestCount() >= 1; }, 10000))
        << road.diagnostics("web-preview").toStdString();
    EXPECT_EQ(requestText(road, 0), kParagraph);
}

TEST(Gtk4ReplyRoad, PastesAReplyIntoGnomeTextEditor) {
    NiveloRoad road(e2eAccessibleRoadOptions());
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    answerReplies(road);
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    session.start("gnome-text-editor", {"--standalone"});
    const QString editor = session.waitForWindow("Text Editor", 20000);
    ASSERT_FALSE(editor.isEmpty());
    session.activate(editor);
    XSession::pause(500);
    session.type(kMessage);
    session.key("shift+Home");
    XSession::pause(300);

    replyAndPaste(road, [&] {
        session.activate(editor);
        session.key("ctrl+a");
        session.key("ctrl+c");
        return session.clipboardText().contains(kReply);
    });
}
