#pragma once

#include <functional>

#include "base/Subscription.h"

struct NiveloSettings;

// Where the clipboard history takes its settings from: the application state implements it.
class ClipboardSettingsSource {
public:
    virtual ~ClipboardSettingsSource() = default;

    virtual const NiveloSettings& settings() const = 0;
    // Delivers the current settings, then every new value, each on the next event-loop turn.
    virtual Subscription subscribeSettings(std::function<void(const NiveloSettings&)> fn) = 0;
};
