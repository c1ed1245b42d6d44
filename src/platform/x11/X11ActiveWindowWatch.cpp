#include "platform/x11/X11ActiveWindowWatch.h"

#include <vector>

#include "platform/x11/X11ActiveWindowFrame.h"
#include "platform/x11/X11Connection.h"

#include "platform/x11/Xlib.h"

X11ActiveWindowWatch::X11ActiveWindowWatch() = default;

X11ActiveWindowWatch::~X11ActiveWindowWatch() {
    stop();
}

Subscription X11ActiveWindowWatch::follow(std::function<void()> changed) {
    const int id = nextFollower_++;
    followers_[id] = std::move(changed);
    if (followers_.size() == 1) {
        start();
    }
    auto context = std::make_unique<QObject>();
    connect(context.get(), &QObject::destroyed, this, [this, id] { unfollow(id); });
    return Subscription(std::move(context));
}

void X11ActiveWindowWatch::unfollow(int id) {
    if (followers_.erase(id) == 1 && followers_.empty()) {
        stop();
    }
}

void X11ActiveWindowWatch::start() {
    if (!connection_) {
        connection_ = std::make_unique<X11Connection>();
    }
    Display* display = connection_->display();
    if (!display) {
        return;
    }
    activeAtom_ = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    stateAtom_ = XInternAtom(display, "_NET_WM_STATE", False);
    listener_ = connection_->addListener([this](XEvent& event) { onEvent(event); });
    // Selected before the active window is read: a change in between is told, not lost.
    XSelectInput(display, DefaultRootWindow(display), PropertyChangeMask);
    watchActiveWindow();
    XFlush(display);
}

void X11ActiveWindowWatch::stop() {
    Display* display = connection_ ? connection_->display() : nullptr;
    if (!display) {
        return;
    }
    connection_->removeListener(listener_);
    listener_ = 0;
    XSelectInput(display, DefaultRootWindow(display), NoEventMask);
    selectState(active_, false);
    active_ = 0;
    XFlush(display);
}

bool X11ActiveWindowWatch::watchActiveWindow() {
    const unsigned long active = x11ActiveWindow(connection_->display());
    connection_->noteRoundTrip();
    if (active == 0 || active == active_) {
        return false;
    }
    selectState(active_, false);
    active_ = active;
    selectState(active_, true);
    return true;
}

void X11ActiveWindowWatch::selectState(unsigned long window, bool wanted) {
    if (window == 0) {
        return;
    }
    // The window may be gone already: that is no error of ours.
    connection_->failsWithError([&] {
        XSelectInput(connection_->display(), window, wanted ? PropertyChangeMask : NoEventMask);
    });
}

void X11ActiveWindowWatch::onEvent(const XEvent& event) {
    if (event.type != PropertyNotify || followers_.empty()) {
        return;
    }
    const XPropertyEvent& property = event.xproperty;
    const bool activeChanged = property.window == connection_->rootWindow() &&
                               property.atom == activeAtom_ && watchActiveWindow();
    const bool stateChanged =
        property.window == active_ && active_ != 0 && property.atom == stateAtom_;
    if (activeChanged || stateChanged) {
        tellFollowers();
    }
}

void X11ActiveWindowWatch::tellFollowers() {
    // A follower may stop following while told.
    std::vector<int> ids;
    for (const auto& [id, follower] : followers_) {
        ids.push_back(id);
    }
    for (const int id : ids) {
        if (auto it = followers_.find(id); it != followers_.end()) {
            std::function<void()> follower = it->second;
            follower();
        }
    }
}
