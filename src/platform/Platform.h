#pragma once

#include <memory>

class Clock;
class Defaults;
class SaveReport;
class WindowActivation;
// Floating panels: screens and pointer, window-manager hints, the active window.
class Screens;
class WindowManagerHints;
class ActiveWindowWatch;
// Backend.
class HttpTransport;
class LanguageRecognizer;
// Text capture: clipboard, simulated keys, running applications, accessibility.
class Pasteboard;
class KeyEvents;
class Workspace;
class Accessibility;

// Hot keys, keyboard layouts, event monitors.
class HotKeyRegistry;
class InputSources;
class EventMonitors;
class KeyMap;

// Appearance, tools, permissions.
class SystemAppearance;
class ProcessRunner;
class PermissionProbe;

// One implementation of each operating-system service. main() builds the X11 bundle; tests
// build a simulated one.
struct Platform {
    Platform();
    ~Platform();
    Platform(Platform&&) noexcept;
    Platform& operator=(Platform&&) noexcept;

    std::unique_ptr<Clock> clock;
    // Told by the stores how their saves fare; before them, so it outlives their last write.
    std::unique_ptr<SaveReport> saveReport;
    std::unique_ptr<Defaults> defaults;

    // Application shell: raising our own windows.
    std::unique_ptr<WindowActivation> windowActivation;
    // Floating panels: where the pointer and the screens are, what the window manager does,
    // which window the user works in.
    std::unique_ptr<Screens> screens;
    std::unique_ptr<WindowManagerHints> windowManagerHints;
    std::unique_ptr<ActiveWindowWatch> activeWindowWatch;
    // Hot keys, keyboard layouts, event monitors.
    std::unique_ptr<HotKeyRegistry> hotKeys;
    std::unique_ptr<InputSources> inputSources;
    std::unique_ptr<EventMonitors> eventMonitors;
    // Shared: on X11 it is the table the hot-key grabs use, owned by their connection.
    std::shared_ptr<KeyMap> keyMap;
    // Backend.
    std::unique_ptr<HttpTransport> http;
    std::unique_ptr<LanguageRecognizer> languageRecognizer;

    // Text capture
    std::unique_ptr<Pasteboard> pasteboard;
    std::unique_ptr<KeyEvents> keyEvents;
    std::unique_ptr<Workspace> workspace;
    std::unique_ptr<Accessibility> accessibility;
    // The clipboard history's own defaults file, apart from the settings.
    std::unique_ptr<Defaults> clipboardHistoryDefaults;

    // Appearance, tools, permissions.
    std::unique_ptr<SystemAppearance> systemAppearance;
    std::unique_ptr<ProcessRunner> processRunner;
    std::unique_ptr<PermissionProbe> permissionProbe;

    // The bundle of the running process, for the process-wide services.
    static Platform& current();
    static void setCurrent(Platform* platform);
};
