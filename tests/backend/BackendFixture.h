#pragma once

#include <gtest/gtest.h>

#include "backend/BackendClient.h"
#include "base/Json.h"
#include "core/NiveloPromptLibrary.h"
#include "platform/LanguageRecognizer.h"
#include "platform/QtHttpTransport.h"
#include "support/EventWait.h"
#include "support/LoopbackHttpServer.h"
#include "support/VirtualClock.h"

class FixedLanguageRecognizer : public LanguageRecognizer {
public:
    QString dominantLanguage(const QString& text) const override {
        asked << text;
        return answer;
    }
    QString answer;
    mutable QStringList asked;
};

// A backend client talking to a real loopback server through the real transport.
class BackendFixture : public ::testing::Test {
protected:
    BackendFixture()
        : transport(clock),
          client(server.url().toString(), QString(), transport, recognizer, "TEST-DEVICE-ID") {}

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
        return client.send(std::move(text), action, std::move(style), std::move(targetLanguage),
                           retry, QString(), false, QString(), QString(), QString(), std::nullopt,
                           std::nullopt);
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
    FixedLanguageRecognizer recognizer;
    BackendClient client;
};
