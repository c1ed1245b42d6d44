#pragma once

#include <QtGlobal>

#include "platform/WindowManagerHints.h"

struct xcb_connection_t;

// EWMH over Qt's own X connection: the compositing manager owns _NET_WM_CM_S<screen>; a window
// is put on every workspace through _NET_WM_STATE_STICKY and _NET_WM_DESKTOP.
class X11WindowManagerHints : public WindowManagerHints {
public:
    bool isCompositing() const override;
    void setOnAllWorkspaces(quintptr window) override;

private:
    quint32 atom(const char* name) const;
};
