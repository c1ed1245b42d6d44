#include "BackendFixture.h"

#include "backend/BackendReplyCheck.h"
#include "core/AIReplyStyleLibrary.h"

namespace {

AIReplyStyle builtInReply(const QString& id) {
    for (const auto& style : AIReplyStyleLibrary::defaultStyles()) {
        if (style.id == id) {
            return style;
        }
    }
    return {};
}

}  // namespace

// Words of letters and digits in lower case; a letter with a combining mark is one character.
TEST(ReplyEchoCheck, RepliesThatAreEmptyTalkAboutTheRequestOrEchoTheMessageAreBad) {
    EXPECT_EQ(plainForReplyCompare(QStringLiteral("Hello,  WORLD!! 42\u2014Ок? Mo\u0308gen 👍")),
              QStringLiteral("hello world 42 ок mo\u0308gen"));
    // The first 80 characters of the long message end inside "Fridays".
    const QString opening = "Could you please send me the final version of the quarterly report";
    const QString cutInWord = opening + "s before Friday so that I can review it on Monday";
    const QString cutAtWordEnd = opening + " before Friday so that I can review it on Monday";
    for (const auto& [reply, message, bad] : std::vector<std::tuple<QString, QString, bool>>{
             {" ... ", "How are you?", true},
             {"Скопированное сообщение: как дела", "Как дела?", true},
             {"Sure. How are you? I am fine.", "How are you", true},
             // "Contains" means containing whole words.
             {"I know", "no", false},
             // A message without letters or digits cannot be echoed; the reply can still be empty.
             {"What happened?", "?!", false},
             {"👍", "👍", true},
             {opening + "s before Fridays", cutInWord, true},
             {"x" + opening + "s before Friday", cutInWord, false},
             {opening + " before Friday, ok", cutAtWordEnd, true},
             {opening + " before Fridays", cutAtWordEnd, false},
             // Mostly the same words, from 18 characters on.
             {"station the at tomorrow meet will we", "We will meet tomorrow at the station", true},
             {"World, there, hello", "Hello there world", false},
         }) {
        EXPECT_EQ(looksLikeBadReply(reply, message), bad) << reply.toStdString();
    }
}

using BackendReplies = BackendFixture;

TEST_F(BackendReplies, ABadFirstReplyIsAskedForOnceMoreWithForceAndMaximum) {
    for (const auto& [replies, expected] : std::vector<std::pair<QStringList, QString>>{
             {{"How are you?", "I'm great, thanks!"}, "I'm great, thanks!"},
             {{"How are you?", "how are you"},
              "AI Reply returned the original message instead of a reply."}}) {
        SCOPED_TRACE(expected.toStdString());
        const int before = server.requestCount();
        for (const QString& reply : replies) {
            server.enqueue(CannedReply::result(reply));
        }
        auto out = finish(client.sendReply("How are you?", builtInReply("friendly"), "English"));
        EXPECT_EQ(out->error ? out->errorDescription() : *out->value, expected);
        ASSERT_EQ(server.requestCount(), before + 2);
        Json again = sentJson(before + 1);
        EXPECT_EQ(again.at("forceRewrite"), true);
        EXPECT_EQ(again.at("styleIntensity"), "maximum");
        again.erase("forceRewrite");
        again.erase("styleIntensity");
        EXPECT_EQ(again, sentJson(before));
    }
}

// A good reply takes one request in the style's terms: custom and edited built-in styles send
// their trimmed prompt; the translate style answers in the target language.
TEST_F(BackendReplies, AGoodReplyTakesOneRequestInTheStylesTerms) {
    recognizer.answer = "ru";
    server.setHandler([](const RecordedRequest&) { return CannedReply::result("Отлично!"); });
    AIReplyStyle edited = builtInReply("polite");
    edited.prompt += " Mention the weather.";
    const AIReplyStyle pirate{"custom-reply-1a2b3c4d", "Pirate", "\n  Answer like a pirate.  \n",
                              "Not assigned"};
    for (const auto& [style, fields] : std::vector<std::pair<AIReplyStyle, const char*>>{
             {builtInReply("polite"),
              R"({"action":"chat_reply","task":"write_chat_reply","replyTo":"Как дела?",)"
              R"("keyboardLanguage":"ru","targetLanguage":"","writingStyle":"Polite",)"
              R"("userInstruction":""})"},
             {pirate, R"({"userInstruction":"Answer like a pirate.","writingStyle":""})"},
             {edited, R"({"writingStyle":"Polite","styleId":"Polite"})"},
             {builtInReply("translate"),
              R"({"writingStyle":"Friendly","targetLanguage":"Spanish",)"
              R"("keyboardLanguage":"Spanish"})"}}) {
        SCOPED_TRACE(style.id.toStdString());
        const int before = server.requestCount();
        EXPECT_EQ(finish(client.sendReply("Как дела?", style, "Spanish"))->value, "Отлично!");
        ASSERT_EQ(server.requestCount(), before + 1);
        expectSent(before, fields);
    }
    EXPECT_EQ(sentField(2, "userInstruction"), edited.prompt);
    EXPECT_EQ(recognizer.asked, QStringList(3, "Как дела?"));
}
