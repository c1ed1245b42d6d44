// The activation request as a window manager receives it, on a private X server.

#include <gtest/gtest.h>

#include <xcb/xcb.h>
#include <QProcess>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include "platform/x11/X11WindowActivation.h"
#include "support/EventWait.h"

TEST(X11WindowActivation, AsksTheWindowManagerAsAPagerWould) {
    QProcess server;
    server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                          QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    QByteArray display;
    waitUntil([&] {
        display += server.readAllStandardOutput();
        return display.contains('\n') || server.state() == QProcess::NotRunning;
    });
    ASSERT_TRUE(display.contains('\n')) << "Xvfb did not start";
    display = ":" + display.trimmed();
    using Connection = std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)>;
    // The listener takes the window manager's place on the root window.
    Connection manager(xcb_connect(display.constData(), nullptr), &xcb_disconnect);
    Connection app(xcb_connect(display.constData(), nullptr), &xcb_disconnect);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(app.get())).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    ASSERT_EQ(xcb_request_check(manager.get(), xcb_change_window_attributes_checked(
                                                   manager.get(), root, XCB_CW_EVENT_MASK, &mask)),
              nullptr);
    const xcb_window_t window = xcb_generate_id(app.get());
    xcb_create_window(app.get(), XCB_COPY_FROM_PARENT, window, root, 0, 0, 100, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    X11WindowActivation(app.get()).activate(window);

    std::optional<xcb_client_message_event_t> message;
    waitUntil([&] {
        while (xcb_generic_event_t* event = xcb_poll_for_event(manager.get())) {
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                message = *reinterpret_cast<xcb_client_message_event_t*>(event);
            }
            std::free(event);
        }
        return message.has_value();
    });
    ASSERT_TRUE(message.has_value());
    const char name[] = "_NET_ACTIVE_WINDOW";
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(manager.get(),
                              xcb_intern_atom(manager.get(), 0, std::strlen(name), name), nullptr),
        &std::free);
    EXPECT_EQ(message->type, atom->atom);
    EXPECT_EQ(message->window, window);
    EXPECT_EQ(message->data.data32[0], 2u);  // source: a pager
    server.terminate();
    server.waitForFinished(5000);
}
