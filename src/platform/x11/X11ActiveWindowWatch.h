#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <memory>

#include "platform/ActiveWindowWatch.h"

class X11Connection;
typedef union _XEvent XEvent;

// Follows _NET_ACTIVE_WINDOW on the root window and _NET_WM_STATE on the active window
// through property change events, on a connection of its own: the events are selected only
// while someone follows, and no other service's selection on the same windows can undo them.
// A moment with no active window (focus between two windows) is no change: the last one stays
// watched.
class X11ActiveWindowWatch : public QObject, public ActiveWindowWatch {
    Q_OBJECT
public:
    X11ActiveWindowWatch();
    ~X11ActiveWindowWatch() override;

    Subscription follow(std::function<void()> changed) override;

private:
    void start();
    void stop();
    void unfollow(int id);
    // Moves the state selection to the window now active; true when it changed.
    bool watchActiveWindow();
    void selectState(unsigned long window, bool wanted);
    void onEvent(const XEvent& event);
    void tellFollowers();

    std::unique_ptr<X11Connection> connection_;
    int listener_ = 0;
    std::map<int, std::function<void()>> followers_;
    int nextFollower_ = 1;
    unsigned long activeAtom_ = 0;
    unsigned long stateAtom_ = 0;
    // The active window whose state is watched (0: none).
    unsigned long active_ = 0;
};
