#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <optional>

// One screen in Qt's global coordinates (origin at the top left, y downwards).
struct ScreenFrames {
    // The whole screen.
    QRect frame;
    // Without the panels and docks the desktop reserves.
    QRect visibleFrame;

    bool operator==(const ScreenFrames&) const = default;
};

// The pointer and the screens of the desktop.
class Screens {
public:
    virtual ~Screens() = default;

    virtual QPoint pointer() const = 0;
    // In the desktop's own order.
    virtual QList<ScreenFrames> screens() const = 0;
    // The main screen: the one the user works on (the screen of the window with the keyboard
    // focus, else the pointer's, else the desktop's primary); none when there is no screen.
    virtual std::optional<ScreenFrames> mainScreen() const = 0;
};
