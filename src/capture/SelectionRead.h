#pragma once

#include <QString>
#include <optional>

#include "capture/FocusService.h"

// A selection read by a simulated Copy.
struct SelectionRead {
    // Untrimmed, never blank.
    QString text;
    // The application it was read from, where a result goes back; none when nothing was
    // remembered.
    std::optional<FocusTarget> target;
};
