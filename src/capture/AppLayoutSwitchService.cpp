#include "capture/AppLayoutSwitchService.h"

#include <QPointer>

#include "base/Async.h"
#include "capture/CaptureAppState.h"
#include "core/NiveloSettings.h"
#include "platform/Workspace.h"

AppLayoutSwitchService::AppLayoutSwitchService(Workspace& workspace, InputSources& inputSources,
                                               QObject* parent)
    : QObject(parent), workspace_(workspace), layouts_(inputSources) {}

void AppLayoutSwitchService::start(CaptureAppState* appState) {
    appState_ = appState;
    if (observing_) {
        return;
    }
    observing_ = true;
    connect(&workspace_, &Workspace::applicationActivated, this,
            [this](const RunningApplication& application) {
                QPointer<AppLayoutSwitchService> self(this);
                launchLater(this, [self, application] {
                    if (self) {
                        self->applyRule(application);
                    }
                });
            });
    if (const auto frontmost = workspace_.frontmostApplication()) {
        applyRule(*frontmost);
    }
}

void AppLayoutSwitchService::applyRule(const RunningApplication& application) {
    if (!appState_ || application.bundleIdentifier.isEmpty()) {
        return;
    }
    const NiveloSettings& settings = appState_->settings();
    if (!settings.appLayoutSwitchingEnabled) {
        return;
    }
    for (const AppLayoutRule& rule : settings.appLayoutRules) {
        if (!rule.isEnabled || rule.bundleIdentifier != application.bundleIdentifier) {
            continue;
        }
        if (layouts_.currentLayoutName() == rule.layoutName) {
            return;
        }
        try {
            layouts_.switchLayout(rule.layoutName);
        } catch (const KeyboardLayoutError&) {
            // The layout simply stays as it is.
        }
        return;
    }
}
