#include <gtest/gtest.h>

#include <QUuid>

#include "backend/BackendEndpoint.h"
#include "platform/Cld2LanguageRecognizer.h"
#include "platform/MemoryDefaults.h"

TEST(BackendEndpoint, TheEnvironmentOverridesTheBuiltInOrigin) {
    qputenv("NIVELO_BACKEND_ORIGIN", "");
    EXPECT_EQ(BackendEndpoint::origin(), NIVELO_DEFAULT_BACKEND_ORIGIN);
    qputenv("NIVELO_BACKEND_ORIGIN", " http://127.0.0.1:8080/ ");
    EXPECT_EQ(BackendEndpoint::aiURL(), "http://127.0.0.1:8080/macos/ai");
    qunsetenv("NIVELO_BACKEND_ORIGIN");
}

// A UUID made once and kept; a stored one is kept only in the exact canonical form (in either
// case), anything else is replaced by a fresh one, which is stored.
TEST(BackendEndpoint, TheInstallationIdIsAUuidMadeOnceAndKept) {
    const QString uuid = "0f8fad5b-d9cb-469f-a165-70867728950e";
    for (const auto& [stored, kept] : std::vector<std::pair<QString, bool>>{
             {QString(), false},
             {"0F8FAD5B-d9cb-469F-a165-70867728950E", true},
             {uuid + "\r\nX-Injected: 1", false},
             {"{" + uuid + "}", false}}) {
        MemoryDefaults defaults;
        if (!stored.isNull()) {
            defaults.setString("nivelo.deviceId", stored);
        }
        const QString sent = BackendEndpoint::installationId(defaults);
        EXPECT_EQ(defaults.stringValue("nivelo.deviceId"), sent);
        EXPECT_EQ(BackendEndpoint::installationId(defaults), sent);
        EXPECT_EQ(sent == stored, kept) << stored.toStdString();
        EXPECT_FALSE(QUuid::fromString(sent).isNull()) << sent.toStdString();
        EXPECT_EQ(sent.size(), 36);
    }
}

TEST(LanguageRecognition, NamesTheLanguageOfAClearTextAndNothingWhenUnsure) {
    Cld2LanguageRecognizer recognizer;
    EXPECT_EQ(recognizer.dominantLanguage("Ты придешь завтра на встречу?"), "ru");
    EXPECT_EQ(recognizer.dominantLanguage("Guten Morgen, wie geht es dir heute?"), "de");
    for (const char* unclear : {"👍", "1234", ""}) {
        EXPECT_EQ(recognizer.dominantLanguage(unclear), "");
    }
}
