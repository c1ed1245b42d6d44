#pragma once

#include <QList>

#include "platform/WindowActivation.h"

// Records the activation requests instead of talking to a window manager.
class SimulatedWindowActivation : public WindowActivation {
public:
    void activate(quintptr window) override { requests.append(window); }

    QList<quintptr> requests;
};
