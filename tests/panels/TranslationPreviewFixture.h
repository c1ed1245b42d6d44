#pragma once

#include "panels/TranslationPreviewPanel.h"
#include "panels/TranslationPreviewPanelController.h"
#include "state/StateFixture.h"
#include "support/SimulatedEventMonitors.h"
#include "support/SimulatedScreens.h"
#include "support/SimulatedWindowActivation.h"
#include "support/SimulatedWindowManagerHints.h"

// The translation preview over the simulated desktop with an editor in front, its own backend
// client talking to the loopback server, which answers every text upper-cased in brackets.
class TranslationPreviewTest : public StateTest {
protected:
    BackendClient backend{server.url().toString(), QString(), transport, transport, "TEST-DEVICE"};
    SimulatedEventMonitors monitors;
    SimulatedScreens screens;
    SimulatedWindowActivation activation;
    SimulatedWindowManagerHints hints;
    MemoryDefaults panelDefaults;
    std::unique_ptr<TranslationPreviewPanelController> controller;

    void SetUp() override {
        StateTest::SetUp();
        screens.list = {{QRect(0, 0, 1600, 900), QRect(0, 0, 1600, 860)}};
        screens.pointerAt = QPoint(500, 400);
        server.setHandler([](const RecordedRequest& request) {
            const auto body = json::parse(request.body);
            const QString text = json::qstr(body->at("text").get<std::string>());
            return CannedReply::result("[" + text.toUpper() + "]");
        });
        makeState([](NiveloSettings& s) { s.translatePreviewTargetLanguage = "German"; });
        controller = makeController();
        controller->attach(state.get());
    }
    void TearDown() override {
        controller.reset();
        VirtualClock::flushEvents();
    }

    std::unique_ptr<TranslationPreviewPanelController> makeController() {
        return std::make_unique<TranslationPreviewPanelController>(
            TranslationPreviewPanelController::Dependencies{panelDefaults,
                                                            desktop.pasteboard,
                                                            captureServices.pasteboard,
                                                            captureServices.focus,
                                                            backend,
                                                            &screens,
                                                            &monitors,
                                                            {&activation, &hints}});
    }
    // The editor's Accessibility selection reads as blank; a copy still gets the selection.
    void blankAccessibilitySelection() {
        editor.field->attributes.insert("AXSelectedText", QStringLiteral(" \n"));
    }
    TranslationPreviewPanel* view() const { return controller->view(); }
};
