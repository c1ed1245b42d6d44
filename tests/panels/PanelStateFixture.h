#pragma once

#include <gtest/gtest.h>

#include "backend/BackendClient.h"
#include "backend/NativeActionService.h"
#include "capture/PermissionService.h"
#include "core/NativeSettingsStore.h"
#include "panels/StatusHUDController.h"
#include "platform/LanguageRecognizer.h"
#include "platform/MemoryDefaults.h"
#include "platform/QtHttpTransport.h"
#include "state/NiveloAppState.h"
#include "state/NiveloCore.h"
#include "support/CaptureServices.h"
#include "support/SimulatedDesktop.h"
#include "support/SimulatedInputSources.h"
#include "support/SimulatedPermissionProbe.h"
#include "support/SimulatedProcessRunner.h"
#include "support/SimulatedScreens.h"
#include "support/SimulatedSystemAppearance.h"
#include "support/SimulatedWindowActivation.h"
#include "support/SimulatedWindowManagerHints.h"

// An application state on the virtual clock (its backend is never reached) over simulated
// screens, for the panels.
class PanelStateTest : public ::testing::Test {
protected:
    struct SilentRecognizer : LanguageRecognizer {
        QString dominantLanguage(const QString&) const override { return {}; }
    };

    SimulatedDesktop desktop;
    MemoryDefaults defaults;
    NativeSettingsStore store{defaults};
    CaptureServices capture{desktop};
    SimulatedInputSources inputs;
    SimulatedSystemAppearance appearance;
    SimulatedPermissionProbe probe;
    SimulatedProcessRunner processes{desktop.clock};
    PermissionService permissions{probe, desktop.workspace, processes};
    QtHttpTransport transport{desktop.clock};
    SilentRecognizer recognizer;
    NiveloCore core{std::make_unique<NativeActionService>(std::make_unique<BackendClient>(
                        QStringLiteral("http://127.0.0.1:9/"), QString(), transport, recognizer,
                        QStringLiteral("TEST-DEVICE"))),
                    permissions};
    NiveloAppState state{
        {desktop.clock, store, core, capture.pasteboard, inputs, capture.history, appearance}};
    SimulatedScreens screens;
    SimulatedWindowActivation activation;
    SimulatedWindowManagerHints hints;
    StatusHUDController hud{{screens, appearance, {&activation, &hints}}};

    void SetUp() override { screens.list = {{QRect(0, 0, 1600, 900), QRect(0, 0, 1600, 860)}}; }
};
