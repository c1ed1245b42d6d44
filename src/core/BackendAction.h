#pragma once

#include <cstdint>

// The kind of AI action a request asks the backend for; the raw values are fixed.
enum class BackendAction : std::uint8_t {
    fix = 0,
    rewrite = 1,
    emoji = 2,
    translate = 3,
    assistant = 4,
    reply = 5,
};
