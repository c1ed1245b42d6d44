#pragma once

#include "assistant/AssistantPanelController.h"
#include "backend/BackendClient.h"
#include "base/Json.h"
#include "panels/PanelStateFixture.h"
#include "platform/HttpTransport.h"
#include "support/QtPrinters.h"

// What the AI endpoint got: every field of the request as text ("true" for a set flag).
using SentRequest = QMap<QString, QString>;

// An AI endpoint whose answers take virtual time, so a test decides which comes back first.
struct ClockedBackend : HttpTransport {
    struct Answer {
        QString result;
        qint64 delayMs = 100;
        bool fails = false;
    };
    Clock& clock;
    // Default: a reply is "Fine, thanks", anything else its text upper-cased.
    std::function<Answer(const SentRequest&)> answer;
    QList<SentRequest> sent;

    explicit ClockedBackend(Clock& c) : clock(c) {}
    QCoro::Task<HttpResponse> post(HttpRequest request) override {
        SentRequest& r = sent.emplace_back();
        const Json body = *json::parse(request.body);
        for (const auto& [key, value] : body.items()) {
            r[json::qstr(key)] =
                json::qstr(value.is_string() ? value.get<std::string>() : value.dump());
        }
        const Answer a =
            answer ? answer(r)
                   : Answer{r["replyTo"].isEmpty() ? r["text"].toUpper() : "Fine, thanks"};
        co_await clock.sleep(a.delayMs);
        co_return HttpResponse{
            a.fails ? 503 : 200,
            json::write(Json{{a.fails ? "error" : "result",
                              json::str(a.fails ? "Server is busy." : a.result)}})};
    }
    QCoro::Task<HttpResponse> get(HttpRequest) override { co_return HttpResponse{}; }
};

// The controller over the panels' application state; its paste records where it went.
class AssistantTest : public PanelStateTest {
protected:
    ClockedBackend backend{desktop.clock};
    MemoryDefaults panelDefaults;
    std::optional<qint64> remembered;
    QList<std::pair<QString, qint64>> pastes;
    QStringList statuses;
    AssistantPanelController controller{
        {desktop.clock,
         std::make_unique<BackendClient>("http://127.0.0.1:9/", "", backend, recognizer, "D"),
         &panelDefaults,
         &screens,
         &desktop.pasteboard,
         {&activation, &hints},
         [this] { return remembered; },
         [this](QString text, qint64 pid) -> QCoro::Task<> {
             pastes.append({text, pid});
             co_return;
         }}};

    // Records the statuses shown ("done: AI ready"), idles left out.
    void SetUp() override {
        PanelStateTest::SetUp();
        QObject::connect(&state, &NiveloAppState::statusChanged, [this](const ActionStatus& s) {
            static const char* kinds[] = {"running", "done", "failed"};
            if (!s.isIdle()) {
                statuses << QString("%1: %2").arg(kinds[int(s.kind())], s.message());
            }
        });
    }
    void attach(UiLanguage language = UiLanguage::en) {
        state.editSettings([&](NiveloSettings& s) { s.uiLanguage = language; });
        controller.attach(&state);
        VirtualClock::flushEvents();
    }
    void settle() {
        do {
            VirtualClock::flushEvents();
        } while (desktop.clock.runNext());
    }
};
