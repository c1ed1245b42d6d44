#include "BackendFixture.h"

#include "core/AIReplyStyleLibrary.h"
#include "core/BackendReplyCheck.h"

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

TEST(ReplyEchoCheck, EmptyRepliesAndTalkAboutTheRequestAreBad) {
    EXPECT_TRUE(looksLikeBadReply(" ... ", "How are you?"));
    EXPECT_TRUE(looksLikeBadReply("Here is the reply instruction you gave", "How are you?"));
    EXPECT_TRUE(looksLikeBadReply("Скопированное сообщение: как дела", "Как дела?"));
}

TEST(ReplyEchoCheck, ARepeatOfTheMessageIsBad) {
    EXPECT_TRUE(looksLikeBadReply("How are you?!", "how ARE you"));
    EXPECT_TRUE(looksLikeBadReply("Sure. How are you? I am fine.", "How are you"));
}

TEST(ReplyEchoCheck, ContainingTheMessageMeansContainingItsWholeWords) {
    EXPECT_FALSE(looksLikeBadReply("I know", "no"));
    EXPECT_FALSE(looksLikeBadReply("Nothing new here", "no"));
    EXPECT_TRUE(looksLikeBadReply("Ok, no.", "no"));
}

TEST(ReplyEchoCheck, AMessageWithoutLettersOrDigitsCannotBeEchoed) {
    EXPECT_FALSE(looksLikeBadReply("Glad you liked it!", "👍"));
    EXPECT_FALSE(looksLikeBadReply("What happened?", "?!"));
    EXPECT_TRUE(looksLikeBadReply("👍", "👍"));  // still empty as a reply
}

TEST(ReplyEchoCheck, TheOpeningOfALongMessageCountsAsAnEcho) {
    // The first 80 characters end inside "Friday".
    const QString message =
        "Could you please send me the final version of the quarterly reports before Friday "
        "so that I can review it with the team on Monday morning";
    EXPECT_TRUE(looksLikeBadReply(
        "Could you please send me the final version of the quarterly reports before Fridays",
        message));
    // The same words that do not start at a word are no echo.
    EXPECT_FALSE(looksLikeBadReply(
        "xCould you please send me the final version of the quarterly reports before Friday",
        message));
}

TEST(ReplyEchoCheck, AnOpeningThatEndsAWordMustEndAWordInTheReply) {
    // The first 80 characters end exactly after "friday".
    const QString message =
        "Could you please send me the final version of the quarterly report before Friday "
        "so that I can review it with the team on Monday morning";
    EXPECT_TRUE(looksLikeBadReply(
        "Could you please send me the final version of the quarterly report before Friday, ok",
        message));
    EXPECT_FALSE(looksLikeBadReply(
        "Could you please send me the final version of the quarterly report before Fridays",
        message));
}

TEST(ReplyEchoCheck, MostlyTheSameWordsIsBadFromEighteenCharactersOn) {
    EXPECT_TRUE(looksLikeBadReply("station the at tomorrow meet will we",
                                  "We will meet tomorrow at the station"));
    EXPECT_FALSE(looksLikeBadReply("Great, see you tomorrow at the station then",
                                   "We will meet tomorrow at the station"));
    // 17 characters: only the first three rules apply.
    EXPECT_FALSE(looksLikeBadReply("World, there, hello", "Hello there world"));
    EXPECT_TRUE(looksLikeBadReply("Worlds, there, hello", "Hello there worlds"));
}

using BackendReplies = BackendFixture;

TEST_F(BackendReplies, AGoodReplyTakesOneRequestInTheStylesTerms) {
    recognizer.answer = "ru";
    server.enqueue(CannedReply::result("Отлично, спасибо!"));

    auto out = finish(client.sendReply("Как дела?", builtInReply("polite"), "Spanish"));

    EXPECT_EQ(out->value, "Отлично, спасибо!");
    ASSERT_EQ(server.requestCount(), 1);
    const Json body = sentJson(0);
    EXPECT_EQ(body.at("action"), "chat_reply");
    EXPECT_EQ(body.at("task"), "write_chat_reply");
    EXPECT_EQ(body.at("text"), "Как дела?");
    EXPECT_EQ(body.at("replyTo"), "Как дела?");
    EXPECT_EQ(body.at("keyboardLanguage"), "ru");
    EXPECT_EQ(body.at("targetLanguage"), "");
    EXPECT_EQ(body.at("writingStyle"), "Polite");
    EXPECT_EQ(body.at("userInstruction"), "");
    EXPECT_EQ(recognizer.asked, QStringList{"Как дела?"});
}

TEST_F(BackendReplies, AnEchoIsAskedForOnceMoreWithForceAndMaximum) {
    server.enqueue(CannedReply::result("How are you?"));
    server.enqueue(CannedReply::result("I'm great, thanks for asking!"));

    auto out = finish(client.sendReply("How are you?", builtInReply("friendly"), "English"));

    EXPECT_EQ(out->value, "I'm great, thanks for asking!");
    ASSERT_EQ(server.requestCount(), 2);
    Json second = sentJson(1);
    EXPECT_EQ(second.at("forceRewrite"), true);
    EXPECT_EQ(second.at("styleIntensity"), "maximum");
    second.erase("forceRewrite");
    second.erase("styleIntensity");
    EXPECT_EQ(second, sentJson(0));
}

TEST_F(BackendReplies, TalkAboutTheInstructionIsAskedForOnceMore) {
    server.enqueue(CannedReply::result("Following the reply instruction: hi"));
    server.enqueue(CannedReply::result("Hi! Long time no see."));

    auto out = finish(client.sendReply("Hey there", builtInReply("casual"), "English"));

    EXPECT_EQ(out->value, "Hi! Long time no see.");
    EXPECT_EQ(server.requestCount(), 2);
}

TEST_F(BackendReplies, ASecondEchoFails) {
    server.enqueue(CannedReply::result("How are you?"));
    server.enqueue(CannedReply::result("how are you"));
    server.enqueue(CannedReply::result("never asked"));

    auto out = finish(client.sendReply("How are you?", builtInReply("friendly"), "English"));

    EXPECT_EQ(out->errorDescription(),
              "AI Reply returned the original message instead of a reply.");
    EXPECT_EQ(server.requestCount(), 2);
}

TEST_F(BackendReplies, AThumbsUpMessageGetsItsFirstReply) {
    server.enqueue(CannedReply::result("Glad you liked it!"));

    auto out = finish(client.sendReply("👍", builtInReply("original"), "English"));

    EXPECT_EQ(out->value, "Glad you liked it!");
    EXPECT_EQ(server.requestCount(), 1);
}

TEST_F(BackendReplies, ACustomStyleSendsItsTrimmedPromptAndNoWritingStyle) {
    server.enqueue(CannedReply::result("Arr, aye!"));
    AIReplyStyle pirate{"custom-reply-1a2b3c4d", "Pirate", "\n  Answer like a pirate.  \n",
                        "Not assigned"};

    finish(client.sendReply("Are you coming?", pirate, "English"));

    const Json body = sentJson(0);
    EXPECT_EQ(body.at("userInstruction"), "Answer like a pirate.");
    EXPECT_EQ(body.at("writingStyle"), "");
    EXPECT_EQ(body.at("styleId"), "");
}

TEST_F(BackendReplies, AnEditedBuiltInSendsItsPromptUnderItsBackendName) {
    server.enqueue(CannedReply::result("Certainly, I will be there."));
    AIReplyStyle polite = builtInReply("polite");
    polite.prompt += " Mention the weather.";

    finish(client.sendReply("Are you coming?", polite, "English"));

    EXPECT_EQ(sentField(0, "userInstruction"), polite.prompt);
    EXPECT_EQ(sentField(0, "writingStyle"), "Polite");
}

TEST_F(BackendReplies, TheTranslateStyleAnswersInTheTargetLanguage) {
    recognizer.answer = "en";
    server.enqueue(CannedReply::result("¡Claro que sí!"));

    finish(client.sendReply("Are you coming?", builtInReply("translate"), "Spanish"));

    EXPECT_EQ(sentField(0, "targetLanguage"), "Spanish");
    EXPECT_EQ(sentField(0, "keyboardLanguage"), "Spanish");
    EXPECT_EQ(sentField(0, "writingStyle"), "Friendly");
    EXPECT_EQ(sentField(0, "userInstruction"), "");
}
