#include <gtest/gtest.h>

#include <QUuid>

#include "backend/BackendEndpoint.h"
#include "platform/Cld2LanguageRecognizer.h"
#include "platform/MemoryDefaults.h"

TEST(BackendEndpoint, TheEnvironmentOverridesTheBuiltInOrigin) {
    qputenv("NIVELO_BACKEND_ORIGIN", "");
    EXPECT_EQ(BackendEndpoint::origin(), NIVELO_DEFAULT_BACKEND_ORIGIN);
    qputenv("NIVELO_BACKEND_ORIGIN", " http://127.0.0.1:8080/ ");
    EXPECT_EQ(BackendEndpoint::origin(), "http://127.0.0.1:8080");
    EXPECT_EQ(BackendEndpoint::aiURL(), "http://127.0.0.1:8080/macos/ai");
    qunsetenv("NIVELO_BACKEND_ORIGIN");
}

TEST(BackendEndpoint, TheInstallationIdIsAUuidMadeOnceAndKept) {
    MemoryDefaults defaults;
    const QString first = BackendEndpoint::installationId(defaults);
    EXPECT_FALSE(QUuid::fromString(first).isNull());
    EXPECT_EQ(defaults.stringValue("nivelo.deviceId"), first);
    EXPECT_EQ(BackendEndpoint::installationId(defaults), first);
    EXPECT_EQ(defaults.writeCount(), 1);
}

TEST(LanguageRecognition, NamesTheLanguageOfAClearTextAndNothingWhenUnsure) {
    Cld2LanguageRecognizer recognizer;
    EXPECT_EQ(recognizer.dominantLanguage("Ты придешь завтра на встречу?"), "ru");
    EXPECT_EQ(recognizer.dominantLanguage("Guten Morgen, wie geht es dir heute?"), "de");
    for (const char* unclear : {"👍", "1234", ""}) {
        EXPECT_EQ(recognizer.dominantLanguage(unclear), "");
    }
}
