#pragma once

#include "panels/TranslationPreviewPanel.h"
#include "panels/TranslationPreviewPanelController.h"
#include "state/StateFixture.h"
#include "support/NamedPart.h"
#include "support/SimulatedEventMonitors.h"
#include "support/SimulatedScreens.h"
#include "support/SimulatedWindowActivation.h"
#include "support/SimulatedWindowManagerHints.h"

// The preview over the simulated desktop; the loopback backend answers "[TEXT UPPER-CASED]".
class TranslationPreviewTest : public StateTest {
protected:
    BackendClient backend{server.url().toString(), QString(), transport, transport, "TEST-DEVICE"};
    SimulatedEventMonitors monitors;
    SimulatedScreens screens;
    SimulatedWindowActivation activation;
    SimulatedWindowManagerHints hints;
    PanelWindow::Environment environment{&activation, &hints};
    MemoryDefaults panelDefaults;
    std::unique_ptr<TranslationPreviewPanelController> controller;

    void SetUp() override {
        StateTest::SetUp();
        screens.list = {{QRect(0, 0, 1600, 900), QRect(0, 0, 1600, 860)}};
        screens.pointerAt = QPoint(500, 400);
        server.setHandler([](const RecordedRequest& request) {
            const QString text =
                json::qstr(json::parse(request.body)->at("text").get<std::string>());
            return CannedReply::result("[" + text.toUpper() + "]");
        });
        makeState([](NiveloSettings& s) { s.translatePreviewTargetLanguage = "German"; });
        controller = makeController();
        controller->attach(state.get());
    }

    std::unique_ptr<TranslationPreviewPanelController> makeController() {
        return std::make_unique<TranslationPreviewPanelController>(
            TranslationPreviewPanelController::Dependencies{
                panelDefaults, desktop.pasteboard, desktop.clock, captureServices.pasteboard,
                captureServices.focus, backend, &screens, &monitors, environment});
    }
    TranslationPreviewPanel* view() const { return controller->view(); }
    // A part of the preview by its object name; fails the test where there is none.
    template <class T>
    T* part(const char* name) const {
        return namedPart<T>(view(), name);
    }
};
