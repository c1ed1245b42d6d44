#include "BackendFixture.h"

#include "core/BackendResponse.h"

namespace {

PromptStyle customStyle(const QString& name) {
    return PromptStyle{"custom-1a2b3c4d", name, "Make it sound like a pirate.", "Not assigned",
                       true};
}

}  // namespace

using BackendWireFormat = BackendFixture;

TEST_F(BackendWireFormat, AFixRequestIsOnePostWithTheTwoHeadersAndTheExactBody) {
    server.enqueue(CannedReply::result("Hello world"));

    auto out = finish(sendSimple("  Helo wrld \n", BackendAction::fix, builtIn("original")));

    ASSERT_EQ(out->value, "Hello world") << out->errorDescription().toStdString();
    ASSERT_EQ(server.requestCount(), 1);
    const RecordedRequest& request = server.requests().first();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.target, "/macos/ai");
    EXPECT_EQ(request.header("Content-Type"), "application/json");
    EXPECT_EQ(request.header("x-nivelo-device-id"), "TEST-DEVICE-ID");
    EXPECT_EQ(request.body,
              R"({"action":"fix","model":"gpt-4.1-mini","preferredModel":"gpt-4.1-mini",)"
              R"("fallbackModel":"gpt-4.1-mini","text":"Helo wrld","sourceText":"Helo wrld",)"
              R"("targetLanguage":"English","keyboardLanguage":"","writingStyle":"",)"
              R"("styleId":"","gender":"","voiceGender":"","userInstruction":"","replyTo":"",)"
              R"("assistantSessionId":"","assistantKeepContext":false,"keepContext":false,)"
              R"("mode":"fix","task":"fix","rewriteMode":"fix","replyMode":"chat_reply"})");
}

TEST_F(BackendWireFormat, ForceRewriteAndIntensityAreAppendedOnlyWhenGiven) {
    server.setHandler([](const RecordedRequest&) { return CannedReply::result("Sure, see you!"); });

    finish(client.send("See you at 5?", BackendAction::reply, customStyle("Pirate"), "", true, "",
                       false, "Talk like a pirate", "See you at 5?", "en", true, "maximum"));
    finish(client.send("See you at 5?", BackendAction::reply, customStyle("Pirate"), "", true, "",
                       false, "Talk like a pirate", "See you at 5?", "en", std::nullopt,
                       std::nullopt));

    ASSERT_EQ(server.requestCount(), 2);
    EXPECT_EQ(server.requests()[0].body,
              R"({"action":"chat_reply","model":"gpt-4.1-mini","preferredModel":"gpt-4.1-mini",)"
              R"("fallbackModel":"gpt-4.1-mini","text":"See you at 5?",)"
              R"("sourceText":"See you at 5?","targetLanguage":"","keyboardLanguage":"en",)"
              R"("writingStyle":"Pirate","styleId":"Pirate","gender":"","voiceGender":"",)"
              R"("userInstruction":"Talk like a pirate","replyTo":"See you at 5?",)"
              R"("assistantSessionId":"","assistantKeepContext":false,"keepContext":false,)"
              R"("mode":"chat_reply","task":"write_chat_reply","rewriteMode":"chat_reply",)"
              R"("replyMode":"chat_reply","forceRewrite":true,"styleIntensity":"maximum"})");
    const Json plain = sentJson(1);
    EXPECT_FALSE(plain.contains("forceRewrite"));
    EXPECT_FALSE(plain.contains("styleIntensity"));
    EXPECT_EQ(plain.size(), 21u);
}

TEST_F(BackendWireFormat, ATranslationNamesItselfEverywhereAndCarriesNoStyleOrReplyTo) {
    server.enqueue(CannedReply::result("Bonjour"));

    finish(client.send("Hello", BackendAction::translate, builtIn("translate"), "French", true, "",
                       false, "", "someone's message", "", std::nullopt, std::nullopt));

    for (const char* key : {"action", "mode", "task", "rewriteMode"}) {
        EXPECT_EQ(sentField(0, key), "translate") << key;
    }
    for (const char* key : {"writingStyle", "styleId", "replyTo"}) {
        EXPECT_EQ(sentField(0, key), "") << key;
    }
    EXPECT_EQ(sentField(0, "replyMode"), "chat_reply");
    EXPECT_EQ(sentField(0, "targetLanguage"), "French");
}

TEST_F(BackendWireFormat, RewritesNameTheirWritingStyle) {
    server.setHandler([](const RecordedRequest&) { return CannedReply::result("done"); });

    finish(sendSimple("text", BackendAction::rewrite, builtIn("original")));
    finish(sendSimple("text", BackendAction::rewrite, builtIn("polite")));
    finish(sendSimple("text", BackendAction::rewrite, customStyle("  Pirate talk \n")));

    ASSERT_EQ(server.requestCount(), 3);
    EXPECT_EQ(sentField(0, "action"), "improve");
    EXPECT_EQ(sentField(0, "writingStyle"), "");
    EXPECT_EQ(sentField(1, "action"), "style_rewrite");
    EXPECT_EQ(sentField(1, "writingStyle"), "Polite");
    EXPECT_EQ(sentField(1, "styleId"), "Polite");
    EXPECT_EQ(sentField(2, "action"), "style_rewrite");
    EXPECT_EQ(sentField(2, "writingStyle"), "Pirate talk");
}

TEST_F(BackendWireFormat, TheEmojiStyleIsNamedWhateverTheAction) {
    server.setHandler([](const RecordedRequest&) { return CannedReply::result("done 🙂"); });

    finish(sendSimple("text", BackendAction::emoji, builtIn("emoji")));
    finish(sendSimple("text", BackendAction::fix, builtIn("emoji")));
    finish(sendSimple("text", BackendAction::fix, builtIn("polite")));

    EXPECT_EQ(sentField(0, "action"), "emoji");
    EXPECT_EQ(sentField(0, "writingStyle"), "Emoji");
    EXPECT_EQ(sentField(1, "action"), "fix");
    EXPECT_EQ(sentField(1, "writingStyle"), "Emoji");
    EXPECT_EQ(sentField(2, "writingStyle"), "");
}

TEST_F(BackendWireFormat, AnAssistantRequestCarriesItsConversationAndKeepsContextTwice) {
    server.enqueue(CannedReply::result("An answer"));
    PromptStyle assistantStyle{"assistant", "Assistant", "", "Not assigned", false};

    finish(client.send("What is this?", BackendAction::assistant, assistantStyle, "English", true,
                       "session-42", true, "", "", "", std::nullopt, std::nullopt));

    const Json body = sentJson(0);
    EXPECT_EQ(body.at("action"), "assistant");
    EXPECT_EQ(body.at("task"), "assistant");
    EXPECT_EQ(body.at("assistantSessionId"), "session-42");
    EXPECT_EQ(body.at("assistantKeepContext"), true);
    EXPECT_EQ(body.at("keepContext"), true);
    EXPECT_EQ(body.at("writingStyle"), "");
}

TEST_F(BackendWireFormat, TextIsSentAsUtf8WithOnlyJsonEscapes) {
    server.enqueue(CannedReply::result("ok"));

    finish(sendSimple("Привет \"мир\"\n\tok 😀", BackendAction::fix, builtIn("original")));

    const QByteArray expected = QStringLiteral(R"("text":"Привет \"мир\"\n\tok 😀")").toUtf8();
    EXPECT_TRUE(server.requests().first().body.contains(expected))
        << server.requests().first().body.toStdString();
}

TEST(BackendResponseDecoding, ReadsTextOrNullAndIgnoresOtherKeys) {
    auto both = BackendResponse::decode(R"({"result":"a","error":"b","usage":{"tokens":3}})");
    ASSERT_TRUE(both);
    EXPECT_EQ(both->result, "a");
    EXPECT_EQ(both->error, "b");

    auto nulls = BackendResponse::decode(R"({"result":null})");
    ASSERT_TRUE(nulls);
    EXPECT_FALSE(nulls->result);
    EXPECT_FALSE(nulls->error);
}

TEST(BackendResponseDecoding, RejectsWhatIsNotAnObjectOfTexts) {
    EXPECT_FALSE(BackendResponse::decode(""));
    EXPECT_FALSE(BackendResponse::decode("<html>Bad Gateway</html>"));
    EXPECT_FALSE(BackendResponse::decode(R"(["result"])"));
    EXPECT_FALSE(BackendResponse::decode(R"({"result":42})"));
    EXPECT_FALSE(BackendResponse::decode(R"({"error":{"message":"x"}})"));
}
