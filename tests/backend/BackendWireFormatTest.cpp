#include "BackendFixture.h"

using BackendWireFormat = BackendFixture;

TEST_F(BackendWireFormat, AFixRequestIsOnePostWithTheTwoHeadersAndTheExactUtf8Body) {
    server.enqueue(CannedReply::result("Hello world"));
    auto out = fix("  Helo \"wrld\"\n\tПривет 😀 \n");
    ASSERT_EQ(out->value, "Hello world") << out->errorDescription().toStdString();
    const RecordedRequest& request = server.requests().first();
    EXPECT_EQ(request.header("x-nivelo-device-id"), "TEST-DEVICE-ID");
    EXPECT_EQ(request.body,
              R"({"action":"fix","model":"gpt-4.1-mini","preferredModel":"gpt-4.1-mini",)"
              R"("fallbackModel":"gpt-4.1-mini","text":"Helo \"wrld\"\n\tПривет 😀",)"
              R"("sourceText":"Helo \"wrld\"\n\tПривет 😀",)"
              R"("targetLanguage":"English","keyboardLanguage":"","writingStyle":"",)"
              R"("styleId":"","gender":"","voiceGender":"","userInstruction":"","replyTo":"",)"
              R"("assistantSessionId":"","assistantKeepContext":false,"keepContext":false,)"
              R"("mode":"fix","task":"fix","rewriteMode":"fix","replyMode":"chat_reply"})");
}

TEST_F(BackendWireFormat, ForceRewriteAndIntensityAreAppendedOnlyWhenGiven) {
    server.setHandler([](const RecordedRequest&) { return CannedReply::result("Sure, see you!"); });
    for (const bool given : {true, false}) {
        finish(client.send("See you at 5?", BackendAction::reply, {"custom-1", "Pirate", "", "", true},
                           "", true,
                           "", false, "Talk like a pirate", "See you at 5?", "en",
                           given ? std::optional(true) : std::nullopt,
                           given ? std::optional<QString>("maximum") : std::nullopt));
    }
    EXPECT_EQ(server.requests()[0].body,
              R"({"action":"chat_reply","model":"gpt-4.1-mini","preferredModel":"gpt-4.1-mini",)"
              R"("fallbackModel":"gpt-4.1-mini","text":"See you at 5?",)"
              R"("sourceText":"See you at 5?","targetLanguage":"","keyboardLanguage":"en",)"
              R"("writingStyle":"Pirate","styleId":"Pirate","gender":"","voiceGender":"",)"
              R"("userInstruction":"Talk like a pirate","replyTo":"See you at 5?",)"
              R"("assistantSessionId":"","assistantKeepContext":false,"keepContext":false,)"
              R"("mode":"chat_reply","task":"write_chat_reply","rewriteMode":"chat_reply",)"
              R"("replyMode":"chat_reply","forceRewrite":true,"styleIntensity":"maximum"})");
    EXPECT_EQ(server.requests()[1].body,
              QByteArray(server.requests()[0].body)
                  .replace(R"(,"forceRewrite":true,"styleIntensity":"maximum")", ""));
}

TEST_F(BackendWireFormat, RewritesAndTheEmojiStyleNameTheirWritingStyle) {
    server.setHandler([](const RecordedRequest&) { return CannedReply::result("done 🙂"); });
    const struct {
        BackendAction action;
        PromptStyle style;
        const char *sentAction, *writingStyle;
    } cases[] = {
        {BackendAction::rewrite, builtIn("original"), "improve", ""},
        {BackendAction::rewrite, builtIn("polite"), "style_rewrite", "Polite"},
        {BackendAction::rewrite, {"custom-1", "  Pirate talk \n", "", "", true}, "style_rewrite",
         "Pirate talk"},
        {BackendAction::emoji, builtIn("emoji"), "emoji", "Emoji"},
        {BackendAction::fix, builtIn("emoji"), "fix", "Emoji"},
        {BackendAction::fix, builtIn("polite"), "fix", ""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        finish(sendSimple("text", cases[i].action, cases[i].style));
        EXPECT_EQ(sentField(i, "action"), cases[i].sentAction) << i;
        EXPECT_EQ(sentField(i, "writingStyle"), cases[i].writingStyle) << i;
        EXPECT_EQ(sentField(i, "styleId"), cases[i].writingStyle) << i;
    }
}

// A translation names itself everywhere and carries no style or reply-to; an assistant
// request carries its conversation and keeps context twice.
TEST_F(BackendWireFormat, TranslationAndAssistantFields) {
    server.setHandler([](const RecordedRequest&) { return CannedReply::result("Bonjour"); });
    finish(client.send("Hello", BackendAction::translate, builtIn("translate"), "French", true, "",
                       false, "", "someone's message", "", std::nullopt, std::nullopt));
    expectSent(0, R"({"action":"translate","mode":"translate","task":"translate",)"
                  R"("rewriteMode":"translate","writingStyle":"","styleId":"","replyTo":"",)"
                  R"("replyMode":"chat_reply","targetLanguage":"French"})");
    PromptStyle assistantStyle{"assistant", "Assistant", "", "Not assigned", false};
    finish(client.send("What is this?", BackendAction::assistant, assistantStyle, "English", true,
                       "session-42", true, "", "", "", std::nullopt, std::nullopt));
    expectSent(1, R"({"action":"assistant","task":"assistant","assistantSessionId":"session-42",)"
                  R"("assistantKeepContext":true,"keepContext":true,"writingStyle":""})");
}
