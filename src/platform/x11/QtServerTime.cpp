#include "platform/x11/QtServerTime.h"

#include <poll.h>
#include <qpa/qplatformnativeinterface.h>
#include <xcb/xcb.h>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <cstdlib>
#include <memory>

#include "platform/x11/X11SelectionOwner.h"

#include "platform/x11/Xlib.h"

namespace qtServerTime {
namespace {

constexpr qint64 kPatienceMs = 1000;

bool grabbed = false;

struct FreeEvent {
    void operator()(xcb_generic_event_t* event) const { std::free(event); }
};
using EventPtr = std::unique_ptr<xcb_generic_event_t, FreeEvent>;

struct Disconnect {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};

// A connection with one unmapped window whose property changes only we hear of.
class PrivateClock {
public:
    explicit PrivateClock(const char* displayName)
        : connection_(xcb_connect(displayName, nullptr)) {
        if (xcb_connection_has_error(connection_.get()) != 0) {
            return;
        }
        const xcb_screen_t* screen =
            xcb_setup_roots_iterator(xcb_get_setup(connection_.get())).data;
        window_ = xcb_generate_id(connection_.get());
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(connection_.get(), XCB_COPY_FROM_PARENT, window_, screen->root, -1, -1, 1,
                          1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                          XCB_CW_EVENT_MASK, &mask);
    }

    // The server's present time, or 0 when the connection is gone or the server does not
    // answer within a second (another client holding it).
    uint32_t now() {
        xcb_connection_t* connection = connection_.get();
        if (window_ == 0 || xcb_connection_has_error(connection) != 0) {
            return 0;
        }
        // Answers left from a call that gave up tell an older time.
        while (const EventPtr stale{xcb_poll_for_event(connection)}) {
        }
        xcb_change_property(connection, XCB_PROP_MODE_APPEND, window_, XCB_ATOM_WM_NAME,
                            XCB_ATOM_STRING, 8, 0, nullptr);
        xcb_flush(connection);
        QElapsedTimer waited;
        waited.start();
        while (xcb_connection_has_error(connection) == 0) {
            // Only this window's property changes come on this connection.
            if (const EventPtr event{xcb_poll_for_event(connection)}) {
                if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
                    return reinterpret_cast<xcb_property_notify_event_t*>(event.get())->time;
                }
                continue;
            }
            const qint64 left = kPatienceMs - waited.elapsed();
            if (left <= 0) {
                return 0;
            }
            pollfd readable{xcb_get_file_descriptor(connection), POLLIN, 0};
            ::poll(&readable, 1, int(left));
        }
        return 0;
    }

private:
    std::unique_ptr<xcb_connection_t, Disconnect> connection_;
    xcb_window_t window_ = 0;
};

}  // namespace

void catchUp() {
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    QScreen* screen = QGuiApplication::primaryScreen();
    Display* display = X11SelectionOwner::qtDisplay();
    if (grabbed || !native || !screen || !display) {
        return;
    }
    using SetAppTime = void (*)(QScreen*, quint32);
    const auto setAppTime = reinterpret_cast<SetAppTime>(
        reinterpret_cast<void (*)()>(native->nativeResourceFunctionForScreen("setapptime")));
    if (!setAppTime) {
        return;
    }
    static PrivateClock clock(DisplayString(display));
    if (const uint32_t now = clock.now(); now != 0) {
        setAppTime(screen, now);
    }
}

void setSelection(QClipboard::Mode mode, QMimeData* data) {
    catchUp();
    QGuiApplication::clipboard()->setMimeData(data, mode);
}

ServerGrab::ServerGrab() {
    catchUp();
    xcb_grab_server(X11SelectionOwner::qtConnection());
    grabbed = true;
}

ServerGrab::~ServerGrab() {
    grabbed = false;
    xcb_connection_t* connection = X11SelectionOwner::qtConnection();
    xcb_ungrab_server(connection);
    xcb_flush(connection);
}

}  // namespace qtServerTime
