#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRect>
#include <iostream>
#include <optional>

#include "E2eRoadOptions.h"
#include "support/NiveloTree.h"

// The assistant panel of the real binary: Alt+I over a selection in mousepad opens it with
// the context; a typed request is answered in a bubble. A reply style's hot key writes a
// reply to a selected message, and its paste button puts the reply into mousepad.
namespace {

const QString kReply = QStringLiteral("Sounds good, see you at noon.");

}  // namespace

TEST(AssistantRoad, ChatsAboutASelectionAndPastesAReplyWrittenByItsHotKey) {
    NiveloRoad road(e2eAccessibleRoadOptions());
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    // Replies share no word with the message, so the echo check lets them through.
    road.backend().setHandler([](const RecordedRequest& request) {
        const QJsonObject body = QJsonDocument::fromJson(request.body).object();
        if (body.value("action").toString() == "chat_reply") {
            return CannedReply::result(kReply);
        }
        return CannedReply::result(NiveloRoad::standInAnswer(body.value("text").toString()));
    });
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    const QString editor = session.startAndActivate("mousepad", "mousepad", true);
    ASSERT_FALSE(editor.isEmpty());
    XSession::pause(500);
    session.type("Lunch plans for Friday");
    session.key("shift+Home");
    XSession::pause(300);

    session.xdotool({"mousemove", "300", "160"});
    road.pressAltHotKey("i");
    QString panel;
    ASSERT_TRUE(XSession::waitUntil([&] {
        return !(panel = session.visibleWindowOfInstance()).isEmpty();
    })) << road.diagnostics("assistant-open").toStdString();
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return session.xdotool({"getactivewindow"}).trimmed() == panel; }));
    NiveloTree tree(session, road.nivelo()->processId());
    EXPECT_TRUE(XSession::waitUntil([&] { return tree.shows("22 chars"); }))
        << road.diagnostics("assistant-context").toStdString();

    session.type("Make it shorter");
    session.key("Return");
    ASSERT_TRUE(XSession::waitUntil([&] { return road.backend().requestCount() == 1; }));
    const QJsonObject sent = QJsonDocument::fromJson(road.backend().requests()[0].body).object();
    EXPECT_EQ(sent.value("text").toString(),
              "Selected text:\nLunch plans for Friday\n\nRequest:\nMake it shorter");
    const QString answer = NiveloRoad::standInAnswer(
        "Selected text:\nLunch plans for Friday\n\nRequest:\nMake it shorter");
    EXPECT_TRUE(XSession::waitUntil([&] { return tree.shows(answer); }))
        << road.diagnostics("assistant-answer").toStdString();
    std::cout << "Assistant screenshot: " << session.screenshot("assistant-chat").toStdString()
              << std::endl;

    // A reply to a message in mousepad, written by the first reply style's hot key.
    session.key("Escape");
    session.activate(editor);
    session.key("ctrl+a");
    session.type("Are we still on for lunch?");
    session.key("shift+Home");
    session.setClipboardText("copied by the user");
    XSession::pause(300);
    road.pressKeys({"Super_L", "Alt_L", "1"});
    ASSERT_TRUE(XSession::waitUntil([&] { return tree.shows(kReply); }, 20000))
        << road.diagnostics("assistant-reply").toStdString();
    EXPECT_TRUE(tree.shows("AI Reply"));
    std::cout << "Reply screenshot: " << session.screenshot("assistant-reply").toStdString()
              << std::endl;
    const std::optional<QRect> paste = tree.find("Paste reply");
    ASSERT_TRUE(paste && !paste->isEmpty());
    clickAt(session, *paste);
    EXPECT_TRUE(XSession::waitUntil([&] { return session.visibleWindowOfInstance().isEmpty(); }));
    EXPECT_TRUE(XSession::waitUntil([&] {
        return session.clipboardText() == "copied by the user";
    })) << road.diagnostics("assistant-clipboard").toStdString();
    XSession::pause(500);
    session.activate(editor);
    const bool landed = XSession::waitUntil([&] {
        session.key("ctrl+a");
        session.key("ctrl+c");
        return session.clipboardText().contains(kReply);
    });
    EXPECT_TRUE(landed) << session.clipboardText().toStdString();
}
