#include "app/StartupSequence.h"

#include <QString>

#include "platform/Defaults.h"

void StartupSequence::set(StartupStep step, std::function<void()> action) {
    actions_[step] = std::move(action);
}

std::vector<StartupStep> StartupSequence::steps() const {
    std::vector<StartupStep> result;
    for (const auto& [step, action] : actions_) {
        result.push_back(step);
    }
    return result;
}

void StartupSequence::run(const Observer& beforeEach) const {
    for (const auto& [step, action] : actions_) {
        if (beforeEach) {
            beforeEach(step);
        }
        action();
    }
}

bool takeLaunchPermissionRequest(Defaults& defaults) {
    const QString key = QStringLiteral("nivelo.requestPermissionsOnLaunch");
    if (!defaults.boolValue(key)) {
        return false;
    }
    // Removed before the request, so a request that fails or crashes is not repeated.
    defaults.remove(key);
    defaults.sync();
    return true;
}
