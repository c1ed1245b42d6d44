#pragma once

#include <QList>
#include <functional>

#include "base/Subscription.h"
#include "core/AIReplyStyle.h"
#include "core/ActionStatus.h"
#include "core/PromptStyle.h"
#include "core/QuickAction.h"

struct NiveloSettings;

// What the hot keys, the layout switching and the selection trigger use of the application
// state. The application state implements it; it lives as long as the process.
class CaptureAppState {
public:
    virtual ~CaptureAppState() = default;

    virtual const NiveloSettings& settings() const = 0;
    // The state's copies of the settings' styles.
    virtual QList<PromptStyle> promptStyles() const = 0;
    virtual QList<AIReplyStyle> aiReplyStyles() const = 0;

    // Delivers the current settings, then every new value, each on the next event-loop turn.
    virtual Subscription subscribeSettings(std::function<void(const NiveloSettings&)> fn) = 0;

    // Starts the action pipeline; returns at once.
    virtual void run(const QuickAction& action, bool pasteResult, bool updateSampleText) = 0;
    // Assigning the status also schedules its automatic return to idle.
    virtual void setStatus(const ActionStatus& status) = 0;
};
