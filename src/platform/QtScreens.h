#pragma once

#include <QRect>
#include <functional>
#include <optional>

#include "platform/Screens.h"

// The screens Qt knows, and the pointer from QCursor. The main screen is the one that holds
// most of the desktop's active window (any application's), which the desktop tells through
// activeWindowFrame; else the pointer's screen; else Qt's primary screen.
class QtScreens : public Screens {
public:
    using ActiveWindowFrame = std::function<std::optional<QRect>()>;

    explicit QtScreens(ActiveWindowFrame activeWindowFrame = {});

    QPoint pointer() const override;
    QList<ScreenFrames> screens() const override;
    std::optional<ScreenFrames> mainScreen() const override;

private:
    ActiveWindowFrame activeWindowFrame_;
};
