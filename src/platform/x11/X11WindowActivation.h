#pragma once

#include <cstdint>

#include "platform/WindowActivation.h"

struct xcb_connection_t;

// Asks the window manager to activate a window with an EWMH _NET_ACTIVE_WINDOW request that
// says it comes from a pager, which window managers obey without focus-stealing checks.
class X11WindowActivation : public WindowActivation {
public:
    // Over the connection of the running Qt application.
    X11WindowActivation();
    explicit X11WindowActivation(xcb_connection_t* connection);

    void activate(quintptr window) override;

    // The request's source indication: 1 is an application, 2 a pager.
    static constexpr std::uint32_t kSourcePager = 2;

private:
    xcb_connection_t* connection() const;

    xcb_connection_t* connection_ = nullptr;
    std::uint32_t activeWindowAtom_ = 0;
};
