#pragma once

#include <QtGlobal>

// What floating panels ask of the window manager beyond Qt's window flags.
class WindowManagerHints {
public:
    virtual ~WindowManagerHints() = default;

    // A compositing manager runs, so see-through windows are drawn see-through.
    virtual bool isCompositing() const = 0;
    // Shows a top-level window on every workspace and keeps it out of the task bar and the
    // pager (window: its native id). Asked right before the window is mapped, and again right
    // after, since a window manager reads the first only when it maps the window and takes the
    // second only from a window it manages.
    virtual void setPanelState(quintptr window) = 0;
};
