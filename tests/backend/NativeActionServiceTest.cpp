#include "BackendFixture.h"

#include "backend/NativeActionService.h"
#include "platform/MemoryDefaults.h"
#include "platform/Platform.h"
#include "state/NiveloCore.h"

using NativeActions = BackendFixture;

// Translate runs the translate style with the resend on, the input and target language as
// given and nothing of the assistant or a forced rewrite; actions run elsewhere, or whose style
// is not in the list (built-ins too), are refused without a request.
TEST_F(NativeActions, TranslateRunsItsStyleAndOtherActionsNeedTheirStyleInTheList) {
    NiveloCore core(std::make_unique<NativeActionService>(std::make_unique<BackendClient>(
        server.url().toString(), QString(), transport, recognizer, "TEST-DEVICE-ID")));
    const QList<PromptStyle> all = NiveloPromptLibrary::defaultStyles();
    const QList<PromptStyle> onlyFix = {builtIn("original")};
    for (const auto& [id, styles, name] :
         std::vector<std::tuple<QString, QList<PromptStyle>, QString>>{
             {"layout", all, "Keyboard layout fix"},
             {"translate", onlyFix, "Style translate"},
             {"style:polite", {}, "Style style:polite"},
             {"rewrite", onlyFix, "Style rewrite"}}) {
        EXPECT_EQ(finish(core.run(QuickAction{id}, "some text", "Italian", styles))->errorDescription(),
                  "This native action is not ported yet: " + name);
    }
    EXPECT_EQ(server.requestCount(), 0);
    server.enqueue(CannedReply::result("Some text"));  // unchanged: asked once more
    server.enqueue(CannedReply::result("Un testo"));
    EXPECT_EQ(finish(core.run(QuickAction{"translate"}, "some text", "Italian", all))->value,
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
