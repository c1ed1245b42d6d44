#pragma once

#include <functional>
#include <map>
#include <vector>

class Defaults;

// The wiring steps of start-up, in the order they must run. Each service joins at its own
// place, so the order holds however the steps were added.
enum class StartupStep {
    SystemSurfaceObserver,
    StatusHud,
    Hotkeys,
    FloatingButton,
    SelectionTrigger,
    MenuBar,
    ClipboardHistory,
    ClipboardPanel,
    AssistantPanel,
    TranslationPreview,
    UpdateChecks,
    LayoutSwitch,
    RefreshPermissions,
    LaunchPermissionRequest,
};

class StartupSequence {
public:
    using Observer = std::function<void(StartupStep)>;

    // Sets the action of a step, replacing an earlier one.
    void set(StartupStep step, std::function<void()> action);
    bool has(StartupStep step) const { return actions_.count(step) != 0; }
    std::vector<StartupStep> steps() const;

    // Runs every step back to back; beforeEach (when given) sees each step before it runs.
    void run(const Observer& beforeEach = {}) const;

private:
    std::map<StartupStep, std::function<void()>> actions_;
};

// The one-shot "nivelo.requestPermissionsOnLaunch": when it is set, removes it and answers
// true; otherwise leaves it alone. Whoever sets it gets exactly one request.
bool takeLaunchPermissionRequest(Defaults& defaults);
