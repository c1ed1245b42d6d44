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
    // The full-screen window the user works in: the active window, or the window it is a
    // transient of, when that is in full screen; 0 when there is none.
    virtual quintptr activeFullScreenWindow() const = 0;
    // Stacks a top-level window above a full-screen window without taking that window out of
    // full screen or its focus, and gives it the panel state (window, fullScreenWindow: native
    // ids). Asked right after the map instead of setPanelState, since Qt writes its own hint
    // when it shows a window. With fullScreenWindow 0, ends it: asked right before the unmap,
    // so that no later request about the window reaches the full-screen one.
    virtual void setFullScreenAuxiliary(quintptr window, quintptr fullScreenWindow) = 0;
    // Whether nothing of a shown top-level window can be seen: it is not mapped on the screen,
    // or the windows stacked above it cover it whole. False when that cannot be told.
    virtual bool isCovered(quintptr window) const = 0;
};
