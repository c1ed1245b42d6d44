#pragma once

#include <QObject>
#include <functional>

#include "base/Subscription.h"
#include "clipboard/ClipboardSettingsSource.h"
#include "core/NiveloSettings.h"
#include "support/VirtualClock.h"

// Settings the history follows, changed by the test as the application state would.
class SettingsSourceStub : public QObject, public ClipboardSettingsSource {
    Q_OBJECT
public:
    const NiveloSettings& settings() const override { return value_; }
    Subscription subscribeSettings(std::function<void(const NiveloSettings&)> fn) override {
        return subscribe(this, &SettingsSourceStub::settingsChanged, &SettingsSourceStub::settings,
                         std::move(fn));
    }

    // Publishes the edited record and lets the deliveries arrive.
    void edit(const std::function<void(NiveloSettings&)>& change) {
        change(value_);
        Q_EMIT settingsChanged(value_);
        VirtualClock::flushEvents();
    }

Q_SIGNALS:
    void settingsChanged(const NiveloSettings& settings);

private:
    NiveloSettings value_;
};
