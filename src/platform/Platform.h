#pragma once

#include <memory>

class Clock;
class Defaults;
class HttpTransport;
class LanguageRecognizer;

// One implementation of each operating-system service. main() builds the X11 bundle; tests
// build a simulated one.
struct Platform {
    Platform();
    ~Platform();
    Platform(Platform&&) noexcept;
    Platform& operator=(Platform&&) noexcept;

    std::unique_ptr<Clock> clock;
    std::unique_ptr<Defaults> defaults;

    // Backend.
    std::unique_ptr<HttpTransport> http;
    std::unique_ptr<LanguageRecognizer> languageRecognizer;

    // The bundle of the running process, for the process-wide services.
    static Platform& current();
    static void setCurrent(Platform* platform);
};
