#pragma once

#include <QtGlobal>

// What floating panels ask of the window manager beyond Qt's window flags.
class WindowManagerHints {
public:
    virtual ~WindowManagerHints() = default;

    // A compositing manager runs, so see-through windows are drawn see-through.
    virtual bool isCompositing() const = 0;
    // Shows a top-level window on every workspace (window: its native id).
    virtual void setOnAllWorkspaces(quintptr window) = 0;
};
