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

TEST(ReplyCompareForm, KeepsWordsOfLettersAndDigitsInLowerCase) {
    EXPECT_EQ(plainForReplyCompare("Hello,   WORLD!! 42\u2014Ок? 👍"), "hello world 42 ок");
    EXPECT_EQ(plainForReplyCompare("?! 👍 ..."), "");
    // A letter written with a combining mark is one character, not a word break.
    EXPECT_EQ(plainForReplyCompare(QStringLiteral("Mo\u0308gen wir")),
              QStringLiteral("mo\u0308gen wir"));
}

TEST(ReplyEchoCheck, RepliesThatAreEmptyTalkAboutTheRequestOrEchoTheMessageAreBad) {
    // The first 80 characters of the long messages end inside "Friday" or right after it.
    const QString opening = "Could you please send me the final version of the quarterly report";
    const QString tail = " so that I can review it with the team on Monday morning";
    const QString cutInWord = opening + "s before Friday" + tail;
    const QString cutAtWordEnd = opening + " before Friday" + tail;
    for (const auto& [reply, message, bad] : std::vector<std::tuple<QString, QString, bool>>{
             {" ... ", "How are you?", true},
             {"Here is the reply instruction you gave", "How are you?", true},
             {"Скопированное сообщение: как дела", "Как дела?", true},
             {"How are you?!", "how ARE you", true},
             {"Sure. How are you? I am fine.", "How are you", true},
             // "Contains" means containing whole words.
             {"I know", "no", false},
             {"Nothing new here", "no", false},
             {"Ok, no.", "no", true},
             // A message without letters or digits cannot be echoed; the reply can still be empty.
             {"Glad you liked it!", "👍", false},
             {"What happened?", "?!", false},
             {"👍", "👍", true},
             {opening + "s before Fridays", cutInWord, true},
             {"x" + opening + "s before Friday", cutInWord, false},
             {opening + " before Friday, ok", cutAtWordEnd, true},
             {opening + " before Fridays", cutAtWordEnd, false},
             // Mostly the same words, from 18 characters on.
             {"station the at tomorrow meet will we", "We will meet tomorrow at the station", true},
             {"Great, see you tomorrow at the station then", "We will meet tomorrow at the station",
              false},
             {"World, there, hello", "Hello there world", false},
             {"Worlds, there, hello", "Hello there worlds", true},
         }) {
        EXPECT_EQ(looksLikeBadReply(reply, message), bad) << reply.toStdString();
    }
}

using BackendReplies = BackendFixture;

TEST_F(BackendReplies, ABadFirstReplyIsAskedForOnceMoreWithForceAndMaximum) {
    for (const auto& [message, replies, expected] :
         std::vector<std::tuple<QString, QStringList, QString>>{
             {"How are you?",
              {"How are you?", "I'm great, thanks for asking!"},
              "I'm great, thanks for asking!"},
             {"Hey there",
              {"Following the reply instruction: hi", "Hi! Long time no see."},
              "Hi! Long time no see."},
             {"How are you?",
              {"How are you?", "how are you"},
              "AI Reply returned the original message instead of a reply."},
             {"👍", {"Glad you liked it!"}, "Glad you liked it!"}}) {
        SCOPED_TRACE(replies.first().toStdString());
        const int before = server.requestCount();
        for (const QString& reply : replies) {
            server.enqueue(CannedReply::result(reply));
        }
        auto out = finish(client.sendReply(message, builtInReply("friendly"), "English"));
        EXPECT_EQ(out->error ? out->errorDescription() : *out->value, expected);
        ASSERT_EQ(server.requestCount(), before + replies.size());
        if (replies.size() == 2) {
            Json again = sentJson(before + 1);
            EXPECT_EQ(again.at("forceRewrite"), true);
            EXPECT_EQ(again.at("styleIntensity"), "maximum");
            again.erase("forceRewrite");
            again.erase("styleIntensity");
            EXPECT_EQ(again, sentJson(before));
        }
    }
}

TEST_F(BackendReplies, AGoodReplyTakesOneRequestInTheStylesTerms) {
    recognizer.answer = "ru";
    server.setHandler([](const RecordedRequest&) { return CannedReply::result("Отлично!"); });
    AIReplyStyle edited = builtInReply("polite");
    edited.prompt += " Mention the weather.";
    const AIReplyStyle pirate{"custom-reply-1a2b3c4d", "Pirate", "\n  Answer like a pirate.  \n",
                              "Not assigned"};
    for (const auto& [style, fields] : std::vector<std::pair<AIReplyStyle, const char*>>{
             {builtInReply("polite"),
              R"({"action":"chat_reply","task":"write_chat_reply","text":"Как дела?",)"
              R"("replyTo":"Как дела?","keyboardLanguage":"ru","targetLanguage":"",)"
              R"("writingStyle":"Polite","userInstruction":""})"},
             // Custom styles send their trimmed prompt, edited built-ins theirs too.
             {pirate, R"({"userInstruction":"Answer like a pirate.","writingStyle":"",)"
                      R"("styleId":"","targetLanguage":"","keyboardLanguage":"ru"})"},
             {edited, R"({"writingStyle":"Polite","styleId":"Polite","targetLanguage":"",)"
                      R"("keyboardLanguage":"ru"})"},
             // The translate style answers in the target language.
             {builtInReply("translate"),
              R"({"userInstruction":"","writingStyle":"Friendly","styleId":"Friendly",)"
              R"("targetLanguage":"Spanish","keyboardLanguage":"Spanish"})"}}) {
        SCOPED_TRACE(style.id.toStdString());
        const int before = server.requestCount();
        EXPECT_EQ(finish(client.sendReply("Как дела?", style, "Spanish"))->value, "Отлично!");
        ASSERT_EQ(server.requestCount(), before + 1);
        expectSent(before, fields);
    }
    EXPECT_EQ(sentField(2, "userInstruction"), edited.prompt);
    EXPECT_EQ(recognizer.asked, QStringList(3, "Как дела?"));
}
