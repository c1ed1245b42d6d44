#pragma once

#include <gtest/gtest.h>

#include <QList>
#include <functional>

#include "assistant/AssistantPanelController.h"
#include "backend/BackendClient.h"
#include "base/Json.h"
#include "platform/HttpTransport.h"
#include "platform/LanguageRecognizer.h"
#include "platform/MemoryDefaults.h"
#include "panels/PanelStateFixture.h"
#include "support/QtPrinters.h"

// What the AI endpoint got, field by field.
struct SentRequest {
    QString text, action, targetLanguage, sessionId, writingStyle, replyTo;
    bool keepContext = false;
};

// An AI endpoint whose answers take virtual time, so a test decides which comes back first.
struct ClockedBackend : HttpTransport, LanguageRecognizer {
    struct Answer {
        QString result;
        qint64 delayMs = 100;
        bool fails = false;
    };
    explicit ClockedBackend(Clock& c) : clock(c) {}
    Clock& clock;
    // Answers each request; the default echoes its text upper-cased.
    std::function<Answer(const SentRequest&)> answer;
    QList<SentRequest> sent;

    QCoro::Task<HttpResponse> post(HttpRequest request) override {
        const Json body = *json::parse(request.body);
        const auto field = [&](const char* key) { return json::qstr(body.at(key).get<std::string>()); };
        sent.append({field("text"), field("action"), field("targetLanguage"),
                     field("assistantSessionId"), field("writingStyle"), field("replyTo"),
                     body.at("assistantKeepContext").get<bool>()});
        const Answer a = answer ? answer(sent.last()) : Answer{sent.last().text.toUpper()};
        co_await clock.sleep(a.delayMs);
        Json reply = Json::object();
        reply[a.fails ? "error" : "result"] = json::str(a.fails ? "Server is busy." : a.result);
        co_return HttpResponse{a.fails ? 503 : 200, json::write(reply)};
    }
    QCoro::Task<HttpResponse> get(HttpRequest) override { co_return HttpResponse{404, {}}; }
    QString dominantLanguage(const QString&) const override { return "en"; }
};

// The controller over the panels' application state, with its own endpoint and a paste that
// records where it went.
class AssistantTest : public PanelStateTest {
protected:
    ClockedBackend backend{desktop.clock};
    MemoryDefaults panelDefaults;
    std::optional<qint64> remembered;
    QList<std::pair<QString, qint64>> pastes;
    QList<ActionStatus> statuses;
    AssistantPanelController controller{
        {desktop.clock,
         std::make_unique<BackendClient>("http://127.0.0.1:9/macos/ai", "", backend, backend,
                                         "TEST-DEVICE"),
         &panelDefaults,
         &screens,
         &desktop.pasteboard,
         {&activation, &hints},
         [this] { return remembered; },
         [this](QString text, qint64 pid) -> QCoro::Task<> {
             pastes.append({text, pid});
             co_return;
         }}};

    void SetUp() override {
        PanelStateTest::SetUp();
        QObject::connect(&state, &NiveloAppState::statusChanged,
                         [this](const ActionStatus& s) { statuses.append(s); });
    }
    void attach() {
        controller.attach(&state);
        VirtualClock::flushEvents();
    }
    // Runs everything due until nothing is left.
    void settle() {
        VirtualClock::flushEvents();
        while (desktop.clock.runNext()) {
            VirtualClock::flushEvents();
        }
    }
    // The statuses shown since the last call ("running: AI running"), idles left out.
    QStringList shown() {
        static const char* kinds[] = {"running", "done", "failed"};
        QStringList out;
        for (const ActionStatus& s : std::exchange(statuses, {})) {
            if (!s.isIdle()) {
                out << QString("%1: %2").arg(kinds[int(s.kind())], s.message());
            }
        }
        return out;
    }
    void setLanguage(UiLanguage language) {
        state.editSettings([&](NiveloSettings& s) { s.uiLanguage = language; });
        VirtualClock::flushEvents();
    }
};
