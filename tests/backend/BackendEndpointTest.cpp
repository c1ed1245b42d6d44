#include <gtest/gtest.h>

#include <QUuid>

#include "core/BackendEndpoint.h"
#include "platform/Cld2LanguageRecognizer.h"
#include "platform/MemoryDefaults.h"

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (had_) {
            qputenv(name_, old_);
        } else {
            qunsetenv(name_);
        }
    }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

}  // namespace

TEST(BackendEndpoint, TheEnvironmentOverridesTheBuiltInOrigin) {
    {
        ScopedEnv env("NIVELO_BACKEND_ORIGIN", "");
        EXPECT_EQ(BackendEndpoint::origin(), NIVELO_DEFAULT_BACKEND_ORIGIN);
    }
    ScopedEnv env("NIVELO_BACKEND_ORIGIN", " http://127.0.0.1:8080/ ");
    EXPECT_EQ(BackendEndpoint::origin(), "http://127.0.0.1:8080");
    EXPECT_EQ(BackendEndpoint::aiURL(), "http://127.0.0.1:8080/macos/ai");
}

TEST(BackendEndpoint, TheInstallationIdIsMadeOnceAndKept) {
    MemoryDefaults defaults;
    const QString first = BackendEndpoint::installationId(defaults);

    EXPECT_FALSE(QUuid::fromString(first).isNull());
    EXPECT_EQ(defaults.stringValue("nivelo.deviceId"), first);
    EXPECT_EQ(BackendEndpoint::installationId(defaults), first);
    EXPECT_EQ(defaults.writeCount(), 1);
}

TEST(BackendEndpoint, AStoredIdThatIsNoUuidIsReplaced) {
    MemoryDefaults defaults;
    defaults.setString("nivelo.deviceId", "bad\r\nX-Injected: 1");

    const QString id = BackendEndpoint::installationId(defaults);

    EXPECT_FALSE(QUuid::fromString(id).isNull());
    EXPECT_EQ(defaults.stringValue("nivelo.deviceId"), id);
}

TEST(LanguageRecognition, NamesTheLanguageOfAClearTextAndNothingWhenUnsure) {
    Cld2LanguageRecognizer recognizer;
    EXPECT_EQ(recognizer.dominantLanguage("Ты придешь завтра на встречу?"), "ru");
    EXPECT_EQ(recognizer.dominantLanguage("Guten Morgen, wie geht es dir heute?"), "de");
    EXPECT_EQ(recognizer.dominantLanguage("👍"), "");
    EXPECT_EQ(recognizer.dominantLanguage("1234"), "");
    EXPECT_EQ(recognizer.dominantLanguage(""), "");
}
