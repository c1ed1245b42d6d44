#include "BackendFixture.h"

namespace {

QString repeated(QChar c, int n) {
    return QString(n, c);
}

}  // namespace

using BackendClientAnswers = BackendFixture;
using BackendClientSplitting = BackendFixture;
using BackendClientTranslationResend = BackendFixture;

TEST_F(BackendClientAnswers, SuccessGivesTheResultWithDashesMadeHyphensAndTrimmed) {
    server.enqueue(CannedReply::result(QStringLiteral("Well \u2014 yes \u2013 maybe  \n")));

    auto out = finish(sendSimple("text", BackendAction::fix, builtIn("original")));

    EXPECT_EQ(out->value, "Well - yes - maybe");
}

TEST_F(BackendClientAnswers, SuccessWithoutAResultTextIsAnEmptyResult) {
    for (const char* body : {R"({"result":null})", R"({})", R"({"result":" \n "})"}) {
        server.enqueue(CannedReply::json(200, body));
        auto out = finish(sendSimple("text", BackendAction::fix, builtIn("original")));
        EXPECT_EQ(out->errorDescription(), "AI returned an empty result.") << body;
    }
}

TEST_F(BackendClientAnswers, AFailedStatusCarriesTheBackendsErrorText) {
    server.enqueue(CannedReply::json(500, R"({"error":"Model overloaded, try again"})"));

    auto out = finish(sendSimple("text", BackendAction::fix, builtIn("original")));

    EXPECT_EQ(out->errorDescription(), "Model overloaded, try again");
}

TEST_F(BackendClientAnswers, AFailedStatusWithoutErrorTextNamesTheStatus) {
    server.enqueue(CannedReply::json(404, "{}"));
    server.enqueue(CannedReply::json(429, R"({"result":"ignored"})"));

    auto notFound = finish(sendSimple("text", BackendAction::fix, builtIn("original")));
    auto tooMany = finish(sendSimple("text", BackendAction::fix, builtIn("original")));

    EXPECT_EQ(notFound->errorDescription(), "Backend returned HTTP 404.");
    EXPECT_EQ(tooMany->errorDescription(), "Backend returned HTTP 429.");
}

TEST_F(BackendClientAnswers, AnEmptyErrorTextCountsAsNone) {
    server.enqueue(CannedReply::json(500, R"({"error":""})"));
    server.enqueue(CannedReply::json(503, R"({"error":"  "})"));

    auto empty = finish(sendSimple("text", BackendAction::fix, builtIn("original")));
    auto blank = finish(sendSimple("text", BackendAction::fix, builtIn("original")));

    EXPECT_EQ(empty->errorDescription(), "Backend returned HTTP 500.");
    EXPECT_EQ(blank->errorDescription(), "Backend returned HTTP 503.");
}

TEST_F(BackendClientAnswers, AFailedStatusWithABodyThatIsNotJsonNamesTheStatus) {
    server.enqueue(CannedReply::text(502, "<html><h1>502 Bad Gateway</h1></html>"));

    auto out = finish(sendSimple("text", BackendAction::fix, builtIn("original")));

    EXPECT_EQ(out->errorDescription(), "Backend returned HTTP 502.");
}

TEST_F(BackendClientAnswers, ASuccessfulStatusWithAnUnreadableBodyIsADecodingError) {
    server.enqueue(CannedReply::text(200, "<html>captive portal</html>"));
    server.enqueue(CannedReply::json(200, R"({"result":42})"));

    auto html = finish(sendSimple("text", BackendAction::fix, builtIn("original")));
    auto number = finish(sendSimple("text", BackendAction::fix, builtIn("original")));

    EXPECT_EQ(html->errorDescription(), "The server's answer could not be read.");
    EXPECT_EQ(number->errorDescription(), "The server's answer could not be read.");
}

TEST_F(BackendClientAnswers, BlankTextFailsBeforeAnyRequest) {
    auto out = finish(sendSimple(" \n\t \n", BackendAction::fix, builtIn("original")));

    EXPECT_EQ(out->errorDescription(), "No text to process.");
    EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(BackendClientAnswers, AnAddressThatIsNotHttpIsAnInvalidUrl) {
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

TEST_F(BackendClientAnswers, TransportFailuresPassThroughWithTheirOwnText) {
    server.enqueue(CannedReply::never());

    auto out = startTask(sendSimple("text", BackendAction::fix, builtIn("original")));
    ASSERT_TRUE(waitUntil([&] { return server.requestCount() == 1; }));
    clock.advance(60'000);
    ASSERT_TRUE(waitUntil([&] { return out->done; }));

    EXPECT_EQ(out->errorDescription(), "The request timed out.");
}

TEST_F(BackendClientSplitting, LongTextGoesOutInPiecesAndTheAnswersAreJoined) {
    int answered = 0;
    server.setHandler([&](const RecordedRequest&) {
        return CannedReply::result(QStringLiteral("answer %1").arg(++answered));
    });

    auto out = finish(sendSimple(repeated('x', 6000), BackendAction::fix, builtIn("original")));

    EXPECT_EQ(out->value, "answer 1\n\nanswer 2\n\nanswer 3");
    ASSERT_EQ(server.requestCount(), 3);
    EXPECT_EQ(sentField(0, "text").size(), 2500);
    EXPECT_EQ(sentField(1, "text").size(), 2500);
    EXPECT_EQ(sentField(2, "text").size(), 1000);
    EXPECT_EQ(sentField(2, "sourceText").size(), 1000);
}

TEST_F(BackendClientSplitting, TheNextPieceWaitsForTheAnswerToTheLastOne) {
    server.enqueue(CannedReply::never());

    auto out = startTask(sendSimple(repeated('x', 6000), BackendAction::fix, builtIn("original")));
    ASSERT_TRUE(waitUntil([&] { return server.requestCount() == 1; }));
    waitUntil([] { return false; }, 100);  // room for a wrongly parallel second request
    EXPECT_EQ(server.requestCount(), 1);
    clock.advance(60'000);
    ASSERT_TRUE(waitUntil([&] { return out->done; }));

    EXPECT_EQ(out->errorDescription(), "The request timed out.");
    EXPECT_EQ(server.requestCount(), 1);
}

TEST_F(BackendClientSplitting, TheFirstFailedPieceEndsTheWholeCall) {
    server.enqueue(CannedReply::result("first"));
    server.enqueue(CannedReply::json(500, R"({"error":"Piece rejected"})"));
    server.enqueue(CannedReply::result("third"));

    auto out = finish(sendSimple(repeated('x', 6000), BackendAction::fix, builtIn("original")));

    EXPECT_EQ(out->errorDescription(), "Piece rejected");
    EXPECT_EQ(server.requestCount(), 2);
}

TEST_F(BackendClientSplitting, EveryPieceKeepsTheCallersArguments) {
    server.setHandler([](const RecordedRequest&) { return CannedReply::result("ok"); });

    finish(client.send(repeated('y', 3000), BackendAction::assistant, builtIn("original"), "German",
                       true, "session-7", true, "Be brief", "", "de", true, "maximum"));

    ASSERT_EQ(server.requestCount(), 2);
    const Json first = sentJson(0);
    Json second = sentJson(1);
    second["text"] = first.at("text");
    second["sourceText"] = first.at("sourceText");
    EXPECT_EQ(first, second);
    EXPECT_EQ(first.at("assistantSessionId"), "session-7");
}

TEST_F(BackendClientTranslationResend, AnUnchangedTranslationIsSentOnceMoreWithoutExtras) {
    server.enqueue(CannedReply::result(QStringLiteral("  hello \u201Cworld\u201D  ")));
    server.enqueue(CannedReply::result("Hallo Welt"));

    auto out = finish(client.send("Hello  \"World\"", BackendAction::translate,
                                  builtIn("translate"), "German", true, "session-1", true,
                                  "Keep it short", "", "en", true, "maximum"));

    EXPECT_EQ(out->value, "Hallo Welt");
    ASSERT_EQ(server.requestCount(), 2);
    const Json again = sentJson(1);
    EXPECT_EQ(again.at("action"), "translate");
    EXPECT_EQ(again.at("text"), "Hello  \"World\"");
    EXPECT_EQ(again.at("targetLanguage"), "German");
    for (const char* key : {"assistantSessionId", "userInstruction", "keyboardLanguage"}) {
        EXPECT_EQ(again.at(key), "") << key;
    }
    EXPECT_EQ(again.at("keepContext"), false);
    EXPECT_FALSE(again.contains("forceRewrite"));
    EXPECT_FALSE(again.contains("styleIntensity"));
}

TEST_F(BackendClientTranslationResend, TheSecondAnswerIsReturnedEvenWhenStillUnchanged) {
    server.enqueue(CannedReply::result("Hello world"));
    server.enqueue(CannedReply::result("hello world \u2014 again"));
    server.enqueue(CannedReply::result("never asked"));

    auto out = finish(sendSimple("Hello world", BackendAction::translate, builtIn("translate")));

    EXPECT_EQ(out->value, "hello world - again");
    EXPECT_EQ(server.requestCount(), 2);
}

TEST_F(BackendClientTranslationResend, TheSecondAnswerIsCheckedLikeAnyOther) {
    server.enqueue(CannedReply::result("Hello world"));
    server.enqueue(CannedReply::json(200, R"({"result":""})"));

    auto out = finish(sendSimple("Hello world", BackendAction::translate, builtIn("translate")));

    EXPECT_EQ(out->errorDescription(), "AI returned an empty result.");
}

TEST_F(BackendClientTranslationResend, AClosingGuillemetCountsAsAChange) {
    server.enqueue(CannedReply::result(QStringLiteral("Hello world\u00BB")));

    auto out = finish(sendSimple("Hello world", BackendAction::translate, builtIn("translate")));

    EXPECT_EQ(out->value, QStringLiteral("Hello world\u00BB"));
    EXPECT_EQ(server.requestCount(), 1);
}

TEST_F(BackendClientTranslationResend, NoResendWhenTurnedOffOrForOtherActions) {
    server.setHandler(
        [](const RecordedRequest&) { return CannedReply::result(QStringLiteral("Hello world")); });

    auto off = finish(
        sendSimple("Hello world", BackendAction::translate, builtIn("translate"), "German", false));
    auto fix = finish(sendSimple("Hello world", BackendAction::fix, builtIn("original")));

    EXPECT_EQ(off->value, "Hello world");
    EXPECT_EQ(fix->value, "Hello world");
    EXPECT_EQ(server.requestCount(), 2);
}

TEST(TextSplitting, CharactersBuiltOfManyCodeUnitsCountAsOneAndAreNeverCut) {
    // Each character is a letter with four combining accents: five code units.
    const QString character = QStringLiteral("e\u0301\u0301\u0301\u0301");
    QString text;
    for (int i = 0; i < 25; ++i) {
        text += character;
    }

    const QStringList pieces = splitTextForBackend(text, 10);

    ASSERT_EQ(pieces.size(), 3);
    EXPECT_EQ(pieces[0], character.repeated(10));
    EXPECT_EQ(pieces[1], character.repeated(10));
    EXPECT_EQ(pieces[2], character.repeated(5));
}
