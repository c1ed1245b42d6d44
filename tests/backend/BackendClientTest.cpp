#include "BackendFixture.h"

using BackendClientAnswers = BackendFixture;

TEST_F(BackendClientAnswers, EachAnswerGivesItsResultOrTheRightError) {
    const QString empty = "AI returned an empty result.";
    const QString unreadable = "The server's answer could not be read.";
    const std::vector<std::pair<CannedReply, QString>> cases = {
        {CannedReply::result(QStringLiteral("Well \u2014 yes \u2013 maybe  \n")),
         "Well - yes - maybe"},
        {CannedReply::json(200, R"({"result":null})"), empty},
        {CannedReply::json(500, R"({"error":"Model overloaded, try again"})"),
         "Model overloaded, try again"},
        {CannedReply::json(429, R"({"result":"ignored"})"), "Backend returned HTTP 429."},
        {CannedReply::json(503, R"({"error":"  "})"), "Backend returned HTTP 503."},
        {CannedReply::text(502, "<html><h1>502 Bad Gateway</h1></html>"),
         "Backend returned HTTP 502."},
        {CannedReply::text(200, "<html>captive portal</html>"), unreadable},
        {CannedReply::json(200, R"({"result":"a","error":"b","usage":{"tokens":3}})"), "a"},
        {CannedReply::json(200, R"({"result":42})"), unreadable},
    };
    for (const auto& [reply, expected] : cases) {
        server.enqueue(reply);
        auto out = fix("text");
        EXPECT_EQ(out->error ? out->errorDescription() : *out->value, expected)
            << reply.body.toStdString();
    }
}

TEST_F(BackendClientAnswers, BlankTextOrAnAddressThatIsNotHttpFailsBeforeAnyRequest) {
    EXPECT_EQ(fix(" \n\t \n")->errorDescription(), "No text to process.");
    BackendClient bad("ftp://127.0.0.1/macos/ai", QString(), transport, recognizer, "id");
    auto out = finish(bad.send("text", BackendAction::fix, builtIn("original"), "English", true, "",
                               false, "", "", "", std::nullopt, std::nullopt));
    EXPECT_EQ(out->errorDescription(), "Backend URL is invalid.");
    EXPECT_EQ(server.requestCount(), 0);
}

// Long text goes out in chunks, one after the other, each with the same arguments; the
// answers are joined; a failed chunk ends the call.
TEST_F(BackendClientAnswers, LongTextGoesOutInChunksOneAtATime) {
    int answered = 0;
    server.setHandler([&](const RecordedRequest&) {
        return CannedReply::result(QStringLiteral("answer %1").arg(++answered));
    });
    auto out = finish(client.send(QString(6000, 'y'), BackendAction::assistant, builtIn("original"),
                                  "German", true, "session-7", true, "Be brief", "", "de", true,
                                  "maximum"));
    EXPECT_EQ(out->value, "answer 1\n\nanswer 2\n\nanswer 3");
    ASSERT_EQ(server.requestCount(), 3);
    for (int i = 0; i < 3; ++i) {
        Json other = sentJson(i);
        EXPECT_EQ(json::qstr(other.at("text").get<std::string>()).size(), i < 2 ? 2500 : 1000);
        EXPECT_EQ(other.at("text"), other.at("sourceText"));
        other["text"] = other["sourceText"] = sentJson(0).at("text");
        EXPECT_EQ(other, sentJson(0)) << i;
    }

    server.enqueue(CannedReply::result("first"));
    server.enqueue(CannedReply::never());
    auto cut = startTask(sendSimple(QString(6000, 'x'), BackendAction::fix, builtIn("original")));
    ASSERT_TRUE(waitUntil([&] { return server.requestCount() == 5; }));
    waitUntil([] { return false; }, 100);  // room for a wrongly parallel third request
    clock.advance(60'000);
    ASSERT_TRUE(waitUntil([&] { return cut->done; }));
    EXPECT_EQ(cut->errorDescription(), "The request timed out.");
    EXPECT_EQ(server.requestCount(), 5);
}

// An unchanged translation (compared without case, quotes and extra space) is sent once more
// without the extras; its answer is returned as it is, checked as any; a changed one, one with
// the resend off and other actions are not sent again.
TEST_F(BackendClientAnswers, AnUnchangedTranslationIsSentOnceMoreWithoutExtras) {
    server.enqueue(CannedReply::result(QStringLiteral("  hello \u201Cworld\u201D  ")));
    server.enqueue(CannedReply::result("Hello world \u2014 again"));
    auto out = finish(client.send("Hello  \"World\"", BackendAction::translate,
                                  builtIn("translate"), "German", true, "session-1", true,
                                  "Keep it short", "", "en", true, "maximum"));
    EXPECT_EQ(out->value, "Hello world - again");
    ASSERT_EQ(server.requestCount(), 2);
    expectSent(1, R"({"action":"translate","text":"Hello  \"World\"","targetLanguage":"German",)"
                  R"("assistantSessionId":"","userInstruction":"","keyboardLanguage":"",)"
                  R"("keepContext":false,"forceRewrite":null,"styleIntensity":null})");

    server.enqueue(CannedReply::result(QStringLiteral("Hello world\u00BB")));
    server.setHandler([](const RecordedRequest&) { return CannedReply::result("Hello world"); });
    auto changed =
        finish(sendSimple("Hello world", BackendAction::translate, builtIn("translate")));
    auto off = finish(
        sendSimple("Hello world", BackendAction::translate, builtIn("translate"), "German", false));
    EXPECT_EQ(changed->value, QStringLiteral("Hello world\u00BB"));
    EXPECT_EQ(off->value, "Hello world");
    EXPECT_EQ(fix("Hello world")->value, "Hello world");
    server.enqueue(CannedReply::result("Hello world"));
    server.enqueue(CannedReply::result(""));
    EXPECT_EQ(finish(sendSimple("Hello world", BackendAction::translate, builtIn("translate")))
                  ->errorDescription(),
              "AI returned an empty result.");
    EXPECT_EQ(server.requestCount(), 7);
}
