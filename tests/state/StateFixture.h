#pragma once

#include <gtest/gtest.h>

#include <QScopeGuard>

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

inline constexpr auto running = &ActionStatus::running;
inline constexpr auto done = &ActionStatus::done;
inline constexpr auto failed = &ActionStatus::failed;
inline constexpr auto idle = &ActionStatus::idle;

// Knows whether a request is on its way, so a test waits for the network only then and
// otherwise moves the virtual clock.
struct CountingTransport : HttpTransport, LanguageRecognizer {
    // Never advanced: the network's own time-outs stay out of the way of the desktop's clock.
    VirtualClock clock;
    QtHttpTransport inner{clock};
    int inFlight = 0;

    QCoro::Task<HttpResponse> post(HttpRequest request) override {
        ++inFlight;
        const auto leave = qScopeGuard([this] { --inFlight; });
        HttpResponse response = co_await inner.post(std::move(request));
        co_return response;
    }
    QCoro::Task<HttpResponse> get(HttpRequest request) override {
        ++inFlight;
        const auto leave = qScopeGuard([this] { --inFlight; });
        HttpResponse response = co_await inner.get(std::move(request));
        co_return response;
    }
    QString dominantLanguage(const QString&) const override { return "en"; }
};

// The application state over a simulated desktop with an editor in front, a real backend
// client talking to a loopback server, and simulated permissions and tools.
class StateTest : public ::testing::Test {
protected:
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
    CountingTransport transport;
    NiveloCore core{std::make_unique<NativeActionService>(std::make_unique<BackendClient>(
                        server.url().toString(), QString(), transport, transport, "TEST-DEVICE")),
                    permissions};
    SimulatedApp& editor = desktop.launch("org.example.editor");
    QStringList newIds;
    std::unique_ptr<NiveloAppState> state;
    // The statuses shown, and when (the times are never cleared: read them from the end).
    QList<ActionStatus> recorded;
    QList<qint64> recordedAtMs;

    // What the user had on the pasteboard before the test: two items, one of them an image.
    QList<PasteboardItem> userContent;

    void SetUp() override {
        userContent = putUserContent(desktop.pasteboard);
        inputs.addLayout(SimulatedInputSources::usLayout());
        inputs.addLayout(SimulatedInputSources::russianLayout());
        inputs.setCurrentId("xkb.layout.us");
        desktop.bringToFront(editor.pid);
        VirtualClock::flushEvents();
    }

    NiveloAppState::Dependencies dependencies() {
        NiveloAppState::Dependencies deps{
            desktop.clock,           store,     core, captureServices.pasteboard, inputs,
            captureServices.history, appearance};
        deps.newIdCharacters = [this] {
            return newIds.isEmpty() ? "0000abcd" : newIds.takeFirst();
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
        state = std::make_unique<NiveloAppState>(dependencies());
        QObject::connect(state.get(), &NiveloAppState::statusChanged, state.get(),
                         [this](const ActionStatus& status) {
                             recorded.append(status);
                             recordedAtMs.append(desktop.clock.nowMs());
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

    const QList<ActionStatus>& statuses() const { return recorded; }

    // The time from the last done or failed status to the idle that followed it; -1 without.
    qint64 idleDelay() const {
        if (recorded.size() < 2 || !recorded.last().isIdle()) {
            return -1;
        }
        return recordedAtMs.last() - recordedAtMs.at(recordedAtMs.size() - 2);
    }

    QString sentField(int index, const char* key) const {
        return json::qstr(
            json::parse(server.requests().at(index).body)->at(key).get<std::string>());
    }
};
