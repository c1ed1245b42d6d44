#pragma once

#include <memory>

class Clock;
class Defaults;

// Hot keys, keyboard layouts, event monitors.
class HotKeyRegistry;
class InputSources;
class EventMonitors;

// One implementation of each operating-system service. main() builds the X11 bundle; tests
// build a simulated one.
struct Platform {
    Platform();
    ~Platform();
    Platform(Platform&&) noexcept;
    Platform& operator=(Platform&&) noexcept;

    std::unique_ptr<Clock> clock;
    std::unique_ptr<Defaults> defaults;

    // Hot keys, keyboard layouts, event monitors.
    std::unique_ptr<HotKeyRegistry> hotKeys;
    std::unique_ptr<InputSources> inputSources;
    std::unique_ptr<EventMonitors> eventMonitors;

    // The bundle of the running process, for the process-wide services.
    static Platform& current();
    static void setCurrent(Platform* platform);
};
