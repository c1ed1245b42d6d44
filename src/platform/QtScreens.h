#pragma once

#include "platform/Screens.h"

// The screens Qt knows, and the pointer from QCursor.
class QtScreens : public Screens {
public:
    QPoint pointer() const override;
    QList<ScreenFrames> screens() const override;
    std::optional<ScreenFrames> primary() const override;
};
