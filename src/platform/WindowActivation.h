#pragma once

#include <QtGlobal>

// Brings one of our top-level windows to the front with the keyboard focus, in a way the
// window manager honours even when another application is active.
class WindowActivation {
public:
    virtual ~WindowActivation() = default;

    // window: the native id of a shown top-level window (QWidget::winId()).
    virtual void activate(quintptr window) = 0;
};
