#pragma once

#include <QHash>

#include "platform/PermissionProbe.h"

// Permissions a test grants or withholds; settings places it offers by target.
class SimulatedPermissionProbe : public PermissionProbe {
public:
    bool syntheticEvents = true;
    bool inputMonitoring = true;
    bool requestable = true;
    bool resettable = true;
    QHash<PermissionSettingsTarget, QUrl> settingsUrls;
    mutable int checks = 0;

    bool canPostSyntheticEvents() const override {
        ++checks;
        return syntheticEvents;
    }
    bool canMonitorInput() const override {
        ++checks;
        return inputMonitoring;
    }
    bool canRequest() const override { return requestable; }
    bool canReset() const override { return resettable; }
    std::optional<QUrl> settingsUrl(PermissionSettingsTarget target) const override {
        const auto it = settingsUrls.constFind(target);
        return it == settingsUrls.cend() ? std::nullopt : std::optional<QUrl>(*it);
    }
};
