#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <chrono>
#include <thread>

#include "app/NiveloAppDelegate.h"
#include "app/TrayAvailability.h"
#include "platform/MemoryDefaults.h"
#include "platform/RealClock.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11SelectionWatch.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

#include "platform/x11/Xlib.h"

namespace {
Display* openDisplay() {
    return XOpenDisplay(x11Session().display().toLocal8Bit().constData());
}

// Another client holds the whole server until a thread of its own lets it go: meanwhile a
// call that waits for an answer of the server waits for the release.
class ServerGrab {
public:
    explicit ServerGrab(int releaseAfterMs) : display_(openDisplay()) {
        XGrabServer(display_);
        XSync(display_, False);
        release_ = std::thread([this, releaseAfterMs] {
            std::this_thread::sleep_for(std::chrono::milliseconds(releaseAfterMs));
            XUngrabServer(display_);
            XSync(display_, False);
        });
    }
    ~ServerGrab() {
        release_.join();
        XCloseDisplay(display_);
    }

private:
    Display* display_;
    std::thread release_;
};

struct NoTrayProbe {
    ~NoTrayProbe() { NiveloAppDelegate::setTrayProbe({}); }
};
}  // namespace

// The owner is told by the server's events: taken, then gone with its window.
TEST(X11SelectionWatch, FollowsTheOwnerFromTheServersEvents) {
    auto connection = std::make_shared<X11Connection>();
    X11SelectionWatch watch(connection, "NIVELO_TEST_SELECTION");
    ASSERT_TRUE(watch.isWatching());
    EXPECT_FALSE(watch.hasOwner());
    EXPECT_EQ(watch.changeCount(), 0);

    Display* other = openDisplay();
    const Window owner = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(other, XInternAtom(other, "NIVELO_TEST_SELECTION", False), owner,
                       CurrentTime);
    XSync(other, False);
    ASSERT_TRUE(XSession::waitUntil([&] { return watch.changeCount() == 1; }));
    EXPECT_TRUE(watch.hasOwner());

    XDestroyWindow(other, owner);
    XSync(other, False);
    ASSERT_TRUE(XSession::waitUntil([&] { return watch.changeCount() == 2; }));
    EXPECT_FALSE(watch.hasOwner());
    XCloseDisplay(other);
}

// The dock presence is re-applied every second and the clipboard polled every 0.7 s: with
// nothing changed neither waits for the server. A tray that appears is still seen.
TEST(X11SelectionWatch, IdleChecksAskTheServerNothingAndATrayIsStillSeen) {
    NoTrayProbe reset;
    auto connection = std::make_shared<X11Connection>();
    X11SelectionWatch watch(connection, X11SelectionWatch::systemTraySelection(*connection));
    NiveloAppDelegate::setTrayProbe(trayAvailability(watch));
    MemoryDefaults defaults;
    RealClock clock;
    NiveloAppDelegate delegate(defaults, clock);
    X11Pasteboard pasteboard;
    EXPECT_FALSE(delegate.shouldStayInMenuBar());
    const qint64 count = pasteboard.changeCount();
    {
        ServerGrab grab(2000);
        QElapsedTimer elapsed;
        elapsed.start();
        for (int i = 0; i < 5; ++i) {
            EXPECT_FALSE(delegate.shouldStayInMenuBar());
            EXPECT_EQ(pasteboard.changeCount(), count);
        }
        EXPECT_LT(elapsed.elapsed(), 1000);
    }

    x11Session().start("trayer", {"--edge", "top", "--SetDockType", "true"});
    EXPECT_TRUE(XSession::waitUntil([&] { return delegate.shouldStayInMenuBar(); }));
}
