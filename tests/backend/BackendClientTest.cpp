#include "BackendFixture.h"

using BackendClientAnswers = BackendFixture;
using BackendClientSplitting = BackendFixture;
using BackendClientTranslationResend = BackendFixture;

TEST_F(BackendClientAnswers, EachAnswerGivesItsResultOrTheRightError) {
    const QString empty = "AI returned an empty result.";
    const QString unreadable = "The server's answer could not be read.";
    const std::vector<std::pair<CannedReply, QString>> cases = {
        {CannedReply::result(QStringLiteral("Well \u2014 yes \u2013 maybe  \n")),
         "Well - yes - maybe"},
        {CannedReply::json(200, R"({"result":null})"), empty},
        {CannedReply::json(200, "{}"), empty},
        {CannedReply::json(200, R"({"result":" \n "})"), empty},
        {CannedReply::json(500, R"({"error":"Model overloaded, try again"})"),
         "Model overloaded, try again"},
        {CannedReply::json(404, "{}"), "Backend returned HTTP 404."},
        {CannedReply::json(429, R"({"result":"ignored"})"), "Backend returned HTTP 429."},
        {CannedReply::json(500, R"({"error":""})"), "Backend returned HTTP 500."},
        {CannedReply::json(503, R"({"error":"  "})"), "Backend returned HTTP 503."},
        {CannedReply::text(502, "<html><h1>502 Bad Gateway</h1></html>"),
         "Backend returned HTTP 502."},
        {CannedReply::text(200, "<html>captive portal</html>"), unreadable},
        {CannedReply::json(200, R"({"result":"a","error":"b","usage":{"tokens":3}})"), "a"},
        {CannedReply::json(200, ""), unreadable},
        {CannedReply::json(200, R"(["result"])"), unreadable},
        {CannedReply::json(200, R"({"result":42})"), unreadable},
        {CannedReply::json(200, R"({"error":{"message":"x"}})"), unreadable},
    };
    for (const auto& [reply, expected] : cases) {
        SCOPED_TRACE(reply.body.toStdString());
        server.enqueue(reply);
        auto out = fix("text");
        EXPECT_EQ(out->error ? out->errorDescription() : *out->value, expected);
    }
}

TEST_F(BackendClientAnswers, BlankTextOrAnAddressThatIsNotHttpFailsBeforeAnyRequest) {
    EXPECT_EQ(fix(" \n\t \n")->errorDescription(), "No text to process.");
    for (const QString& address :
         {QString(), QStringLiteral("not a url"), QStringLiteral("ftp://127.0.0.1/macos/ai"),
          QStringLiteral("http:///macos/ai")}) {
        BackendClient bad(address, QString(), transport, recognizer, "id");
        auto out = finish(bad.send("text", BackendAction::fix, builtIn("original"), "English", true,
                                   "", false, "", "", "", std::nullopt, std::nullopt));
        EXPECT_EQ(out->errorDescription(), "Backend URL is invalid.") << address.toStdString();
    }
    EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(BackendClientSplitting, LongTextGoesOutInChunksWithTheSameArgumentsAndAnswersAreJoined) {
    int answered = 0;
    server.setHandler([&](const RecordedRequest&) {
        return CannedReply::result(QStringLiteral("answer %1").arg(++answered));
    });
    auto out = finish(client.send(QString(6000, 'y'), BackendAction::assistant, builtIn("original"),
                                  "German", true, "session-7", true, "Be brief", "", "de", true,
                                  "maximum"));
    EXPECT_EQ(out->value, "answer 1\n\nanswer 2\n\nanswer 3");
    ASSERT_EQ(server.requestCount(), 3);
    const Json first = sentJson(0);
    EXPECT_EQ(first.at("assistantSessionId"), "session-7");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(sentField(i, "text").size(), i < 2 ? 2500 : 1000);
        EXPECT_EQ(sentField(i, "sourceText").size(), i < 2 ? 2500 : 1000);
        Json other = sentJson(i);
        other["text"] = first.at("text");
        other["sourceText"] = first.at("sourceText");
        EXPECT_EQ(other, first) << i;
    }
}

TEST_F(BackendClientSplitting, EachChunkWaitsForTheLastAnswerAndAFailedChunkEndsTheCall) {
    server.enqueue(CannedReply::result("first"));
    server.enqueue(CannedReply::never());
    server.enqueue(CannedReply::result("third"));
    auto out = startTask(sendSimple(QString(6000, 'x'), BackendAction::fix, builtIn("original")));
    ASSERT_TRUE(waitUntil([&] { return server.requestCount() == 2; }));
    waitUntil([] { return false; }, 100);  // room for a wrongly parallel third request
    EXPECT_EQ(server.requestCount(), 2);
    clock.advance(60'000);
    ASSERT_TRUE(waitUntil([&] { return out->done; }));
    EXPECT_EQ(out->errorDescription(), "The request timed out.");
    EXPECT_EQ(server.requestCount(), 2);
}

TEST_F(BackendClientTranslationResend, AnUnchangedTranslationIsSentOnceMoreWithoutExtras) {
    server.enqueue(CannedReply::result(QStringLiteral("  hello \u201Cworld\u201D  ")));
    server.enqueue(CannedReply::result("Hallo Welt"));
    auto out = finish(client.send("Hello  \"World\"", BackendAction::translate,
                                  builtIn("translate"), "German", true, "session-1", true,
                                  "Keep it short", "", "en", true, "maximum"));
    EXPECT_EQ(out->value, "Hallo Welt");
    ASSERT_EQ(server.requestCount(), 2);
    expectSent(1, R"({"action":"translate","text":"Hello  \"World\"","targetLanguage":"German",)"
                  R"("assistantSessionId":"","userInstruction":"","keyboardLanguage":"",)"
                  R"("keepContext":false,"forceRewrite":null,"styleIntensity":null})");
}

TEST_F(BackendClientTranslationResend, TheSecondAnswerIsReturnedEvenIfUnchangedAndCheckedAsAny) {
    int requests = 0;
    for (const auto& [second, expected] : std::vector<std::pair<QString, QString>>{
             {QStringLiteral("hello world \u2014 again"), "hello world - again"},
             {QString(), "AI returned an empty result."}}) {
        SCOPED_TRACE(expected.toStdString());
        server.enqueue(CannedReply::result("Hello world"));
        server.enqueue(CannedReply::result(second));
        auto out =
            finish(sendSimple("Hello world", BackendAction::translate, builtIn("translate")));
        EXPECT_EQ(out->error ? out->errorDescription() : *out->value, expected);
        EXPECT_EQ(server.requestCount(), requests += 2);
    }
}

TEST_F(BackendClientTranslationResend, NoResendForAChangedTextWhenTurnedOffOrForOtherActions) {
    server.enqueue(CannedReply::result(QStringLiteral("Hello world\u00BB")));
    server.setHandler([](const RecordedRequest&) { return CannedReply::result("Hello world"); });
    auto changed =
        finish(sendSimple("Hello world", BackendAction::translate, builtIn("translate")));
    auto off = finish(
        sendSimple("Hello world", BackendAction::translate, builtIn("translate"), "German", false));
    EXPECT_EQ(changed->value, QStringLiteral("Hello world\u00BB"));
    EXPECT_EQ(off->value, "Hello world");
    EXPECT_EQ(fix("Hello world")->value, "Hello world");
    EXPECT_EQ(server.requestCount(), 3);
}
