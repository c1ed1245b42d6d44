// The activation request as a window manager receives it, on a private X server.

#include <gtest/gtest.h>

#include <xcb/xcb.h>
#include <QProcess>
#include <QStandardPaths>
#include <cstdlib>
#include <cstring>

#include "platform/x11/X11WindowActivation.h"
#include "support/EventWait.h"

namespace {

class PrivateXServer {
public:
    PrivateXServer() {
        process_.start(QStringLiteral("Xvfb"),
                       {QStringLiteral("-displayfd"), QStringLiteral("1"),
                        QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        waitUntil([&] {
            output_ += process_.readAllStandardOutput();
            return output_.contains('\n') || process_.state() == QProcess::NotRunning;
        });
        if (output_.contains('\n')) {
            name_ = ":" + output_.trimmed();
        }
    }
    ~PrivateXServer() {
        process_.terminate();
        process_.waitForFinished(5000);
    }
    const QByteArray& name() const { return name_; }

private:
    QProcess process_;
    QByteArray output_;
    QByteArray name_;
};

// A connection that ends with the test.
struct Connection {
    explicit Connection(const QByteArray& display) : c(xcb_connect(display.constData(), nullptr)) {}
    ~Connection() { xcb_disconnect(c); }
    bool ok() const { return c && !xcb_connection_has_error(c); }
    xcb_window_t root() const { return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root; }
    xcb_connection_t* c;
};

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : 0;
    std::free(reply);
    return result;
}

}  // namespace

TEST(X11WindowActivation, AsksTheWindowManagerAsAPagerWould) {
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) {
        GTEST_SKIP() << "Xvfb is not installed";
    }
    PrivateXServer server;
    ASSERT_FALSE(server.name().isEmpty());
    // The listener takes the window manager's place on the root window.
    Connection manager(server.name());
    Connection app(server.name());
    ASSERT_TRUE(manager.ok() && app.ok());
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_generic_error_t* error = xcb_request_check(
        manager.c,
        xcb_change_window_attributes_checked(manager.c, manager.root(), XCB_CW_EVENT_MASK, &mask));
    ASSERT_EQ(error, nullptr);

    const xcb_window_t window = xcb_generate_id(app.c);
    xcb_create_window(app.c, XCB_COPY_FROM_PARENT, window, app.root(), 0, 0, 100, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    X11WindowActivation activation(app.c);
    activation.activate(window);

    xcb_client_message_event_t message = {};
    bool received = false;
    waitUntil([&] {
        while (xcb_generic_event_t* event = xcb_poll_for_event(manager.c)) {
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                message = *reinterpret_cast<xcb_client_message_event_t*>(event);
                received = true;
            }
            std::free(event);
        }
        return received;
    });
    ASSERT_TRUE(received);
    EXPECT_EQ(message.type, atom(manager.c, "_NET_ACTIVE_WINDOW"));
    EXPECT_EQ(message.window, window);
    EXPECT_EQ(message.format, 32);
    EXPECT_EQ(message.data.data32[0], 2u);  // source: a pager
}
