#pragma once

#include <QObject>

#include "capture/KeyboardLayoutService.h"

class CaptureAppState;
class InputSources;
class Workspace;
struct RunningApplication;

// Selects the keyboard layout that the user's per-application rules name whenever an
// application comes to the front.
class AppLayoutSwitchService : public QObject {
    Q_OBJECT
public:
    AppLayoutSwitchService(Workspace& workspace, InputSources& inputSources,
                           QObject* parent = nullptr);

    // Every call replaces the application state; the first also starts watching activations
    // and applies the rules to the frontmost application at once.
    void start(CaptureAppState* appState);

private:
    void applyRule(const RunningApplication& application);

    Workspace& workspace_;
    KeyboardLayoutService layouts_;
    CaptureAppState* appState_ = nullptr;
    bool observing_ = false;
};
