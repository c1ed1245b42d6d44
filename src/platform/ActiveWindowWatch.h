#pragma once

#include <functional>

#include "base/Subscription.h"

// Tells a shown floating panel when the window the user works in changes: another window
// becomes active, or the active one enters or leaves full screen. The desktop is watched only
// while someone follows it, and through its own change notices, never by asking again and
// again.
class ActiveWindowWatch {
public:
    virtual ~ActiveWindowWatch() = default;

    // Calls changed after each such change, on the event loop, while the subscription lives.
    virtual Subscription follow(std::function<void()> changed) = 0;
};
