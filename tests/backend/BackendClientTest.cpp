#include <gtest/gtest.h>

#include "backend/BackendClient.h"
#include "backend/BackendReplyCheck.h"
#include "backend/NativeActionService.h"
#include "base/Json.h"
#include "core/AIReplyStyleLibrary.h"
#include "core/NiveloPromptLibrary.h"
#include "platform/Cld2LanguageRecognizer.h"
#include "platform/MemoryDefaults.h"
#include "platform/Platform.h"
#include "platform/QtHttpTransport.h"
#include "state/NiveloCore.h"
#include "support/EventWait.h"
#include "support/LoopbackHttpServer.h"
#include "support/VirtualClock.h"

// A backend client talking to a real loopback server through the real transport; the fixture
// names the language it is asked for.
class Backend : public ::testing::Test, public LanguageRecognizer {
protected:
    Backend()
        : transport(clock),
          client(server.url().toString(), QString(), transport, *this, "TEST-DEVICE-ID") {}
    QString dominantLanguage(const QString& text) const override {
        asked << text;
        return answer;
    }

    static PromptStyle builtIn(const QString& id) { return *NiveloPromptLibrary::style(id, {}); }

    template <typename T>
    static std::shared_ptr<TaskOutcome<T>> finish(QCoro::Task<T> task) {
        auto out = runNetworkTask(std::move(task));
        EXPECT_TRUE(out->done) << "the task did not finish";
        return out;
    }

    QCoro::Task<QString> sendSimple(QString text, BackendAction action, PromptStyle style,
                                    QString targetLanguage = QStringLiteral("English"),
                                    bool retry = true) {
        return client.send(std::move(text),
                           {.action = action,
                            .style = std::move(style),
                            .targetLanguage = std::move(targetLanguage)},
                           {.retryOnUnchangedTranslation = retry});
    }

    std::shared_ptr<TaskOutcome<QString>> fix(const QString& text) {
        return finish(sendSimple(text, BackendAction::fix, builtIn("original")));
    }

    Json sentJson(int index) const { return *json::parse(server.requests().at(index).body); }
    // Checks the fields given as a JSON object against a sent body; null means absent.
    void expectSent(int index, std::string_view fieldsJson) const {
        const Json body = sentJson(index);
        const Json fields = Json::parse(fieldsJson);
        for (auto it = fields.begin(); it != fields.end(); ++it) {
            EXPECT_EQ(body.value(it.key(), Json()), it.value()) << it.key();
        }
    }
    QString sentField(int index, const char* key) const {
        return json::qstr(sentJson(index).at(key).get<std::string>());
    }

    LoopbackHttpServer server;
    VirtualClock clock;
    QtHttpTransport transport;
    QString answer;
    mutable QStringList asked;
    BackendClient client;
};

TEST_F(Backend, EachAnswerGivesItsResultOrTheRightError) {
    const QString empty = "AI returned an empty result.";
    const QString unreadable = "The server's answer could not be read.";
    const std::vector<std::pair<CannedReply, QString>> cases = {
        {CannedReply::result(QStringLiteral("Well \u2014 yes \u2013 maybe  \n")),
         "Well - yes - maybe"},
        {CannedReply::json(200, R"({"result":null})"), empty},
        {CannedReply::json(500, R"({"error":"Model overloaded, try again"})"),
         "Model overloaded, try again"},
        {CannedReply::json(503, R"({"error":"  "})"), "Backend returned HTTP 503."},
        {CannedReply::text(502, "<html><h1>502 Bad Gateway</h1></html>"),
         "Backend returned HTTP 502."},
        {CannedReply::text(200, "<html>captive portal</html>"), unreadable},
        {CannedReply::json(200, R"({"result":"a","error":"b","usage":{"tokens":3}})"), "a"},
    };
    for (const auto& [reply, expected] : cases) {
        server.enqueue(reply);
        auto out = fix("text");
        EXPECT_EQ(out->error ? out->errorDescription() : *out->value, expected)
            << reply.body.toStdString();
    }
}

TEST_F(Backend, BlankTextOrAnAddressThatIsNotHttpFailsBeforeAnyRequest) {
    EXPECT_EQ(fix(" \n\t \n")->errorDescription(), "No text to process.");
    BackendClient bad("ftp://127.0.0.1/macos/ai", QString(), transport, *this, "id");
    auto out = finish(bad.send(
        "text",
        {.action = BackendAction::fix, .style = builtIn("original"), .targetLanguage = "English"}));
    EXPECT_EQ(out->errorDescription(), "Backend URL is invalid.");
    EXPECT_EQ(server.requestCount(), 0);
}

// Long text goes out in chunks, one after the other, each with the same arguments; the
// answers are joined with what each cut took out (nothing inside a word); a failed chunk ends
// the call.
TEST_F(Backend, LongTextGoesOutInChunksOneAtATime) {
    int answered = 0;
    server.setHandler([&](const RecordedRequest&) {
        return CannedReply::result(QStringLiteral("answer %1").arg(++answered));
    });
    auto out = finish(client.send(QString(6000, 'y'), {.action = BackendAction::assistant,
                                                       .style = builtIn("original"),
                                                       .targetLanguage = "German",
                                                       .assistantSessionId = "session-7",
                                                       .assistantKeepContext = true,
                                                       .userInstruction = "Be brief",
                                                       .keyboardLanguage = "de",
                                                       .forceRewrite = true,
                                                       .styleIntensity = "maximum"}));
    EXPECT_EQ(out->value, "answer 1answer 2answer 3");
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

// Answers that give back their pieces give back the trimmed text exactly: a paragraph cut in
// its window stays one paragraph, a line keeps its indentation, and no blank line appears
// where there was none.
TEST_F(Backend, AnswersAreJoinedWithTheWhiteSpaceOfEachCut) {
    server.setHandler([](const RecordedRequest& request) {
        return CannedReply::result(
            json::qstr(json::parse(request.body)->at("text").get<std::string>()));
    });
    QString paragraph;  // words and commas, no line break and no ". "
    for (int i = 0; paragraph.size() < 3000; ++i) {
        paragraph += QStringLiteral("слово%1, word ").arg(i);
    }
    QString lines;
    for (int i = 0; lines.size() < 6000; ++i) {
        lines += QStringLiteral("line %1\n%2  indented\n").arg(i).arg(i % 3 ? "" : "\t");
    }
    const QString texts[] = {
        "  " + paragraph + "\n",
        paragraph + "\n\n" + paragraph,
        lines,
        QString("One sentence here. ").repeated(200),
        QString(2600, 'z'),
    };
    for (const QString& text : texts) {
        const int before = server.requestCount();
        auto out = fix(text);
        ASSERT_TRUE(out->value) << out->errorDescription().toStdString();
        EXPECT_GE(server.requestCount() - before, 2);
        EXPECT_EQ(*out->value, text.trimmed()) << text.left(40).toStdString();
    }
}

// The answer's body is capped far above any real answer: a body of exactly the cap is read,
// a larger one, announced or streamed until the connection closes, fails as unreadable.
TEST_F(Backend, AnAnswerPastItsCapFailsAsUnreadable) {
    const QByteArray json = R"({"result":"fine"})";
    const qint64 cap = BackendClient::kMaxAnswerBytes;
    for (const bool streamed : {false, true}) {
        for (const qint64 size : {cap, cap + 1}) {
            server.enqueue(CannedReply::jsonOfSize(json, size, streamed));
            auto out = finish(sendSimple("text", BackendAction::fix, builtIn("original")));
            EXPECT_EQ(out->value ? *out->value : out->errorDescription(),
                      size == cap ? "fine" : "The server's answer could not be read.")
                << streamed << " " << size;
        }
    }
}

// An unchanged translation (compared without case, quotes and extra space) is sent once more
// without the extras; its answer is returned as it is, checked as any; a changed one, one with
// the resend off and other actions are not sent again.
TEST_F(Backend, AnUnchangedTranslationIsSentOnceMoreWithoutExtras) {
    server.enqueue(CannedReply::result(QStringLiteral("  hello \u201Cworld\u201D  ")));
    server.enqueue(CannedReply::result("Hello world \u2014 again"));
    auto out = finish(client.send("Hello  \"World\"", {.action = BackendAction::translate,
                                                       .style = builtIn("translate"),
                                                       .targetLanguage = "German",
                                                       .assistantSessionId = "session-1",
                                                       .assistantKeepContext = true,
                                                       .userInstruction = "Keep it short",
                                                       .keyboardLanguage = "en",
                                                       .forceRewrite = true,
                                                       .styleIntensity = "maximum"}));
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
    EXPECT_EQ(server.requestCount(), 5);
}

TEST_F(Backend, AFixRequestIsOnePostWithTheTwoHeadersAndTheExactUtf8Body) {
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

TEST_F(Backend, RewritesAndTheEmojiStyleNameTheirWritingStyle) {
    server.setHandler([](const RecordedRequest&) { return CannedReply::result("done 🙂"); });
    const struct {
        BackendAction action;
        PromptStyle style;
        const char *sentAction, *writingStyle;
    } cases[] = {
        {BackendAction::rewrite, builtIn("original"), "improve", ""},
        {BackendAction::rewrite, builtIn("polite"), "style_rewrite", "Polite"},
        {BackendAction::rewrite,
         {"custom-1", "  Pirate talk \n", "", "", true},
         "style_rewrite",
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
TEST_F(Backend, TranslationAndAssistantFields) {
    server.setHandler([](const RecordedRequest&) { return CannedReply::result("Bonjour"); });
    finish(client.send("Hello", {.action = BackendAction::translate,
                                 .style = builtIn("translate"),
                                 .targetLanguage = "French",
                                 .replyTo = "someone's message"}));
    expectSent(0, R"({"action":"translate","mode":"translate","task":"translate",)"
                  R"("rewriteMode":"translate","writingStyle":"","styleId":"","replyTo":"",)"
                  R"("replyMode":"chat_reply","targetLanguage":"French"})");
    PromptStyle assistantStyle{"assistant", "Assistant", "", "Not assigned", false};
    finish(client.send("What is this?", {.action = BackendAction::assistant,
                                         .style = assistantStyle,
                                         .targetLanguage = "English",
                                         .assistantSessionId = "session-42",
                                         .assistantKeepContext = true}));
    expectSent(1, R"({"action":"assistant","task":"assistant","assistantSessionId":"session-42",)"
                  R"("assistantKeepContext":true,"keepContext":true,"writingStyle":""})");
}

// Words of letters and digits in lower case; a letter with a combining mark is one character.
TEST(ReplyEchoCheck, RepliesThatAreEmptyTalkAboutTheRequestOrEchoTheMessageAreBad) {
    EXPECT_EQ(plainForReplyCompare(QStringLiteral("Hello,  WORLD!! 42\u2014Ок? Mo\u0308gen 👍")),
              QStringLiteral("hello world 42 ок mo\u0308gen"));
    // The first 80 characters of the long message end inside "Fridays".
    const QString opening = "Could you please send me the final version of the quarterly report";
    const QString cutInWord = opening + "s before Friday so that I can review it on Monday";
    for (const auto& [reply, message, bad] : std::vector<std::tuple<QString, QString, bool>>{
             {" ... ", "How are you?", true},
             {"Скопированное сообщение: как дела", "Как дела?", true},
             {"Sure. How are you? I am fine.", "How are you", true},
             // "Contains" means containing whole words.
             {"I know", "no", false},
             // A message without letters or digits cannot be echoed; the reply can still be empty.
             {"👍", "👍", true},
             {opening + "s before Fridays", cutInWord, true},
             {"x" + opening + "s before Friday", cutInWord, false},
             // Mostly the same words, from 18 characters on.
             {"station the at tomorrow meet will we", "We will meet tomorrow at the station", true},
             {"World, there, hello", "Hello there world", false},
         }) {
        EXPECT_EQ(looksLikeBadReply(reply, message), bad) << reply.toStdString();
    }
}

TEST_F(Backend, ABadFirstReplyIsAskedForOnceMoreWithForceAndMaximum) {
    for (const auto& [replies, expected] : std::vector<std::pair<QStringList, QString>>{
             {{"How are you?", "I'm great, thanks!"}, "I'm great, thanks!"},
             {{"How are you?", "how are you"},
              "AI Reply returned the original message instead of a reply."}}) {
        const int before = server.requestCount();
        for (const QString& reply : replies) {
            server.enqueue(CannedReply::result(reply));
        }
        auto out = finish(client.sendReply({.message = "How are you?",
                                            .style = AIReplyStyleLibrary::defaultStyles()[1],
                                            .targetLanguage = "English"}));
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
TEST_F(Backend, AGoodReplyTakesOneRequestInTheStylesTerms) {
    answer = "ru";
    server.setHandler([](const RecordedRequest&) { return CannedReply::result("Отлично!"); });
    AIReplyStyle edited = AIReplyStyleLibrary::defaultStyles()[3];
    edited.prompt += " Mention the weather.";
    const AIReplyStyle pirate{"custom-reply-1a2b3c4d", "Pirate", "\n  Answer like a pirate.  \n",
                              "Not assigned"};
    for (const auto& [style, fields] : std::vector<std::pair<AIReplyStyle, const char*>>{
             {AIReplyStyleLibrary::defaultStyles()[3],
              R"({"action":"chat_reply","task":"write_chat_reply","replyTo":"Как дела?",)"
              R"("mode":"chat_reply","rewriteMode":"chat_reply","replyMode":"chat_reply",)"
              R"("forceRewrite":null,"styleIntensity":null,)"
              R"("keyboardLanguage":"ru","targetLanguage":"","writingStyle":"Polite",)"
              R"("userInstruction":""})"},
             {pirate, R"({"userInstruction":"Answer like a pirate.","writingStyle":""})"},
             {edited, R"({"writingStyle":"Polite","styleId":"Polite"})"},
             {AIReplyStyleLibrary::defaultStyles().last(),
              R"({"writingStyle":"Friendly","targetLanguage":"Spanish",)"
              R"("keyboardLanguage":"Spanish"})"}}) {
        const int before = server.requestCount();
        EXPECT_EQ(finish(client.sendReply(
                             {.message = "Как дела?", .style = style, .targetLanguage = "Spanish"}))
                      ->value,
                  "Отлично!");
        ASSERT_EQ(server.requestCount(), before + 1);
        expectSent(before, fields);
    }
    EXPECT_EQ(sentField(2, "userInstruction"), edited.prompt);
    EXPECT_EQ(asked, QStringList(3, "Как дела?"));
}

// Translate runs the translate style with the resend on, the input and target language as
// given and nothing of the assistant or a forced rewrite; actions run elsewhere, or whose style
// is not in the list (built-ins too), are refused without a request.
TEST_F(Backend, TranslateRunsItsStyleAndOtherActionsNeedTheirStyleInTheList) {
    NiveloCore core(std::make_unique<NativeActionService>(std::make_unique<BackendClient>(
        server.url().toString(), QString(), transport, *this, "TEST-DEVICE-ID")));
    const QList<PromptStyle> all = NiveloPromptLibrary::defaultStyles();
    const QList<PromptStyle> onlyFix = {builtIn("original")};
    for (const auto& [id, styles, name] :
         std::vector<std::tuple<QString, QList<PromptStyle>, QString>>{
             {"layout", all, "Keyboard layout fix"},
             {"style:polite", {}, "Style style:polite"},
             {"rewrite", onlyFix, "Style rewrite"}}) {
        EXPECT_EQ(finish(core.run({.action = QuickAction{id},
                                   .input = "some text",
                                   .targetLanguage = "Italian",
                                   .styles = styles}))
                      ->errorDescription(),
                  "This native action is not ported yet: " + name);
    }
    EXPECT_EQ(server.requestCount(), 0);
    server.enqueue(CannedReply::result("Some text"));  // unchanged: asked once more
    server.enqueue(CannedReply::result("Un testo"));
    EXPECT_EQ(finish(core.run({.action = QuickAction{"translate"},
                               .input = "some text",
                               .targetLanguage = "Italian",
                               .styles = all}))
                  ->value,
              "Un testo");
    ASSERT_EQ(server.requestCount(), 2);
    expectSent(0, R"({"action":"translate","text":"some text","targetLanguage":"Italian",)"
                  R"("assistantSessionId":"","userInstruction":"","forceRewrite":null,)"
                  R"("styleIntensity":null})");
}

TEST(SharedCore, TalksToTheConfiguredOriginWithThisInstallationsId) {
    // The shared core lives for the whole process, and so must what it was built with.
    static LoopbackHttpServer server;
    static Platform platform;
    platform.clock = std::make_unique<VirtualClock>();
    platform.defaults = std::make_unique<MemoryDefaults>();
    platform.http = std::make_unique<QtHttpTransport>(*platform.clock);
    platform.languageRecognizer = std::make_unique<Cld2LanguageRecognizer>();
    Platform::setCurrent(&platform);
    qputenv("NIVELO_BACKEND_ORIGIN", server.url(QString()).toString().toUtf8());
    server.enqueue(CannedReply::result("Fixed"));
    auto out =
        runNetworkTask(NiveloCore::shared().run({.action = QuickAction{"style:original"},
                                                 .input = "fixd",
                                                 .targetLanguage = "English",
                                                 .styles = NiveloPromptLibrary::defaultStyles()}));
    qunsetenv("NIVELO_BACKEND_ORIGIN");
    EXPECT_EQ(out->value, "Fixed") << out->errorDescription().toStdString();
    ASSERT_EQ(server.requestCount(), 1);
    EXPECT_EQ(server.requests().first().target, "/macos/ai");
    const QString deviceId = *platform.defaults->stringValue("nivelo.deviceId");
    EXPECT_FALSE(deviceId.isEmpty());
    EXPECT_EQ(server.requests().first().header("x-nivelo-device-id"), deviceId.toUtf8());
}
