#pragma once

#include <gtest/gtest.h>

#include <ostream>

#include "backend/BackendClient.h"
#include "backend/NativeActionService.h"
#include "base/Json.h"
#include "capture/PermissionService.h"
#include "core/NativeSettingsStore.h"
#include "platform/LanguageRecognizer.h"
#include "platform/MemoryDefaults.h"
#include "platform/QtHttpTransport.h"
#include "state/NiveloAppState.h"
#include "state/NiveloCore.h"
#include "support/CaptureServices.h"
#include "support/EventWait.h"
#include "support/LoopbackHttpServer.h"
#include "support/QtPrinters.h"
#include "support/SettingsDefaults.h"
#include "support/SimulatedDesktop.h"
#include "support/SimulatedInputSources.h"
#include "support/SimulatedPermissionProbe.h"
#include "support/SimulatedProcessRunner.h"
#include "support/SimulatedSystemAppearance.h"

inline void PrintTo(const ActionStatus& status, std::ostream* os) {
    static const char* names[] = {"running", "done", "failed", "idle"};
    *os << names[int(status.kind())];
    if (!status.isIdle()) {
        *os << "(\"" << status.message().toStdString() << "\")";
    }
}

inline constexpr auto running = &ActionStatus::running;
inline constexpr auto done = &ActionStatus::done;
inline constexpr auto failed = &ActionStatus::failed;
inline constexpr auto idle = &ActionStatus::idle;

// Knows whether a request is on its way, so a test waits for the network only then and
// otherwise moves the virtual clock.
class CountingTransport : public HttpTransport {
public:
    explicit CountingTransport(HttpTransport& inner) : inner_(inner) {}
    int inFlight = 0;

    QCoro::Task<HttpResponse> post(HttpRequest request) override {
        ++inFlight;
        try {
            HttpResponse response = co_await inner_.post(std::move(request));
            --inFlight;
            co_return response;
        } catch (...) {
            --inFlight;
            throw;
        }
    }

private:
    HttpTransport& inner_;
};

class EnglishRecognizer : public LanguageRecognizer {
public:
    QString dominantLanguage(const QString&) const override { return QStringLiteral("en"); }
};

// The application state over a simulated desktop with an editor in front, a real backend
// client talking to a loopback server, and simulated permissions and tools.
class StateTest : public ::testing::Test {
protected:
    struct Recorded {
        ActionStatus status;
        qint64 atMs;
    };

    SimulatedDesktop desktop;
    SettingsDefaults defaults;
    NativeSettingsStore store{defaults};
    CaptureServices captureServices{desktop};
    SimulatedInputSources inputs;
    SimulatedSystemAppearance appearance;
    SimulatedPermissionProbe probe;
    SimulatedProcessRunner processes{desktop.clock};
    PermissionService permissions{probe, desktop.workspace, processes};
    LoopbackHttpServer server;
    // Never advanced: the network's own time-outs stay out of the way of the desktop's clock.
    VirtualClock networkClock;
    QtHttpTransport realTransport{networkClock};
    CountingTransport transport{realTransport};
    EnglishRecognizer recognizer;
    NiveloCore core{std::make_unique<NativeActionService>(std::make_unique<BackendClient>(
                        server.url().toString(), QString(), transport, recognizer,
                        QStringLiteral("TEST-DEVICE"))),
                    permissions};
    SimulatedApp& editor = desktop.launch(QStringLiteral("org.example.editor"));
    QStringList newIds;
    std::unique_ptr<NiveloAppState> state;
    QList<Recorded> recorded;

    // What the user had on the pasteboard before the test: two items, one of them an image.
    QList<PasteboardItem> userContent;

    void SetUp() override {
        userContent = putUserContent(desktop.pasteboard);
        ASSERT_EQ(userContent.size(), 2);
        inputs.addLayout(SimulatedInputSources::usLayout());
        inputs.addLayout(SimulatedInputSources::russianLayout());
        inputs.setCurrentId(QStringLiteral("xkb.layout.us"));
        desktop.bringToFront(editor.pid);
        VirtualClock::flushEvents();
        ASSERT_EQ(captureServices.focus.rememberedProcessIdentifier(), editor.pid);
    }

    NiveloAppState::Dependencies dependencies() {
        NiveloAppState::Dependencies deps{
            desktop.clock,           store,     core, captureServices.pasteboard, inputs,
            captureServices.history, appearance};
        deps.newIdCharacters = [this] {
            return newIds.isEmpty() ? QStringLiteral("0000abcd") : newIds.takeFirst();
        };
        return deps;
    }

    // Stores the settings as a former run of the app left them, then builds the state.
    void makeState(const std::function<void(NiveloSettings&)>& stored = {}) {
        if (stored) {
            NiveloSettings settings;
            stored(settings);
            store.save(settings);
        }
        defaults.saves = 0;
        state = std::make_unique<NiveloAppState>(dependencies());
        QObject::connect(state.get(), &NiveloAppState::statusChanged, state.get(),
                         [this](const ActionStatus& status) {
                             recorded.append({status, desktop.clock.nowMs()});
                         });
    }

    void setLanguage(UiLanguage language) {
        state->editSettings([&](NiveloSettings& s) { s.uiLanguage = language; });
    }

    // Runs everything that is due, waiting for the network while a request is out, until
    // nothing is left to do.
    void settle() {
        for (int step = 0; step < 100000; ++step) {
            VirtualClock::flushEvents();
            if (transport.inFlight > 0) {
                ASSERT_TRUE(waitUntil([&] { return transport.inFlight == 0; }))
                    << "no answer from the loopback server";
                continue;
            }
            if (!desktop.clock.runNext()) {
                return;
            }
        }
        FAIL() << "the clock never ran out of work";
    }

    QList<ActionStatus> statuses() const {
        QList<ActionStatus> out;
        for (const auto& r : recorded) {
            out.append(r.status);
        }
        return out;
    }

    // The time from the last done or failed status to the idle that followed it; -1 without.
    qint64 idleDelay() const {
        if (recorded.size() < 2 || !recorded.last().status.isIdle()) {
            return -1;
        }
        return recorded.last().atMs - recorded.at(recorded.size() - 2).atMs;
    }

    QString sentField(int index, const char* key) const {
        const auto body = json::parse(server.requests().at(index).body);
        return body ? json::qstr(body->at(key).get<std::string>()) : QString();
    }
};
