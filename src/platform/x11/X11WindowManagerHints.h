#pragma once

#include <QtGlobal>

#include "platform/WindowManagerHints.h"

struct xcb_connection_t;

// EWMH over Qt's own X connection: the compositing manager owns _NET_WM_CM_S<screen>; a panel
// is sticky, skips the task bar and the pager, and sits on every desktop (_NET_WM_DESKTOP
// 0xFFFFFFFF). A window manager ignores state messages about a window it does not manage and
// reads the properties only when it maps one, so both are written.
// A window manager keeps a focused full-screen window above every window marked ABOVE, but
// stacks its transients above it (openbox puts them in its full-screen layer, and the window
// stays there while one of them has the focus): an auxiliary is made transient for it.
class X11WindowManagerHints : public WindowManagerHints {
public:
    bool isCompositing() const override;
    void setPanelState(quintptr window) override;
    quintptr activeFullScreenWindow() const override;
    void setFullScreenAuxiliary(quintptr window, quintptr fullScreenWindow) override;
    // Covered by the windows the window manager stacks above it (_NET_CLIENT_LIST_STACKING),
    // each taken as its rectangle.
    bool isCovered(quintptr window) const override;

private:
    quint32 atom(const char* name) const;
    // The panel state as properties, and as requests (those that move the window between
    // workspaces only when asked).
    void writePanelState(quintptr window, bool workspaceRequests);
};
