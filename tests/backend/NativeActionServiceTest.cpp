#include "BackendFixture.h"

#include "core/NativeActionService.h"
#include "core/NiveloCore.h"
#include "core/NiveloCoreError.h"
#include "platform/MemoryDefaults.h"
#include "platform/Platform.h"

namespace {

class NativeActions : public BackendFixture {
protected:
    NativeActions()
        : core(std::make_unique<NativeActionService>(std::make_unique<BackendClient>(
              server.url().toString(), QString(), transport, recognizer, "TEST-DEVICE-ID"))) {
        server.setHandler([](const RecordedRequest&) { return CannedReply::result("done"); });
    }

    std::shared_ptr<TaskOutcome<QString>> run(const QString& id, const QList<PromptStyle>& styles,
                                              const QString& input = "some text") {
        return finish(core.run(QuickAction{id}, input, "Italian", styles));
    }

    NiveloCore core;
};

}  // namespace

TEST_F(NativeActions, TheActionsRunElsewhereAreRefusedWithoutARequest) {
    const auto styles = NiveloPromptLibrary::defaultStyles();
    EXPECT_EQ(run("ai", styles)->errorDescription(),
              "This native action is not ported yet: AI assistant");
    EXPECT_EQ(run("clipboard", styles)->errorDescription(),
              "This native action is not ported yet: Clipboard window");
    EXPECT_EQ(run("layout", styles)->errorDescription(),
              "This native action is not ported yet: Keyboard layout fix");
    EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(NativeActions, AStyleActionSendsTheInputWithItsStyleAndTheTargetLanguage) {
    auto out = run("style:polite", NiveloPromptLibrary::defaultStyles(), "  be nice  \n");

    EXPECT_EQ(out->value, "done");
    ASSERT_EQ(server.requestCount(), 1);
    const Json body = sentJson(0);
    EXPECT_EQ(body.at("action"), "style_rewrite");
    EXPECT_EQ(body.at("writingStyle"), "Polite");
    EXPECT_EQ(body.at("text"), "be nice");
    EXPECT_EQ(body.at("targetLanguage"), "Italian");
    EXPECT_FALSE(body.contains("forceRewrite"));
}

TEST_F(NativeActions, TranslateRunsTheTranslateStyleWithTheResendOn) {
    server.enqueue(CannedReply::result("Some text"));  // unchanged: asked once more
    server.enqueue(CannedReply::result("Un testo"));

    auto out = run("translate", NiveloPromptLibrary::defaultStyles());

    EXPECT_EQ(out->value, "Un testo");
    ASSERT_EQ(server.requestCount(), 2);
    EXPECT_EQ(sentField(0, "action"), "translate");
    EXPECT_EQ(sentField(1, "action"), "translate");
}

TEST_F(NativeActions, AStyleMissingFromTheListIsMissingEvenWhenBuiltIn) {
    QList<PromptStyle> onlyFix = {builtIn("original")};

    EXPECT_EQ(run("translate", onlyFix)->errorDescription(),
              "This native action is not ported yet: Style translate");
    EXPECT_EQ(run("style:polite", {})->errorDescription(),
              "This native action is not ported yet: Style style:polite");
    EXPECT_EQ(run("style:custom-1234abcd", onlyFix)->errorDescription(),
              "This native action is not ported yet: Style style:custom-1234abcd");
    EXPECT_EQ(run("rewrite", onlyFix)->errorDescription(),
              "This native action is not ported yet: Style rewrite");
    EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(NativeActions, ACustomStyleFromTheListRunsAsARewrite) {
    PromptStyle pirate{"custom-1234abcd", " Pirate ", "Arr.", "Not assigned", true};

    run("style:custom-1234abcd", {builtIn("original"), pirate});

    EXPECT_EQ(sentField(0, "action"), "style_rewrite");
    EXPECT_EQ(sentField(0, "writingStyle"), "Pirate");
}

TEST_F(NativeActions, BackendErrorsPassThroughUnchanged) {
    server.setHandler([](const RecordedRequest&) {
        return CannedReply::json(500, R"({"error":"Quota exceeded"})");
    });

    EXPECT_EQ(run("style:original", NiveloPromptLibrary::defaultStyles())->errorDescription(),
              "Quota exceeded");
    EXPECT_EQ(run("style:original", NiveloPromptLibrary::defaultStyles(), " ")->errorDescription(),
              "No text to process.");
}

TEST(SharedCore, TalksToTheConfiguredOriginWithThisInstallationsId) {
    // The shared core lives for the whole process, and so must what it was built with.
    static LoopbackHttpServer server;
    static Platform platform;
    platform.clock = std::make_unique<VirtualClock>();
    platform.defaults = std::make_unique<MemoryDefaults>();
    platform.http = std::make_unique<QtHttpTransport>(*platform.clock);
    platform.languageRecognizer = std::make_unique<FixedLanguageRecognizer>();
    Platform::setCurrent(&platform);
    qputenv("NIVELO_BACKEND_ORIGIN", server.url(QString()).toString().toUtf8());
    server.enqueue(CannedReply::result("Fixed"));

    auto out = runNetworkTask(NiveloCore::shared().run(
        QuickAction{"style:original"}, "fixd", "English", NiveloPromptLibrary::defaultStyles()));
    qunsetenv("NIVELO_BACKEND_ORIGIN");

    EXPECT_EQ(out->value, "Fixed") << out->errorDescription().toStdString();
    ASSERT_EQ(server.requestCount(), 1);
    EXPECT_EQ(server.requests().first().target, "/macos/ai");
    const QString deviceId = *platform.defaults->stringValue("nivelo.deviceId");
    EXPECT_FALSE(deviceId.isEmpty());
    EXPECT_EQ(server.requests().first().header("x-nivelo-device-id"), deviceId.toUtf8());
}
