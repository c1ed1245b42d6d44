#include "OwnerConnection.h"

#include <QSocketNotifier>
#include <cstdlib>

OwnerConnection::OwnerConnection(EventHandler onEvent, QObject* parent)
    : QObject(parent), onEvent_(std::move(onEvent)) {
    connection_ = xcb_connect(nullptr, nullptr);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    window_ = xcb_generate_id(connection_);
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_flush(connection_);
    notifier_ =
        new QSocketNotifier(xcb_get_file_descriptor(connection_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &OwnerConnection::readEvents);
}

OwnerConnection::~OwnerConnection() {
    xcb_disconnect(connection_);
}

xcb_atom_t OwnerConnection::atom(const QByteArray& name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, uint16_t(name.size()), name.constData()),
        nullptr);
    const xcb_atom_t atom = reply ? reply->atom : XCB_ATOM_NONE;
    std::free(reply);
    return atom;
}

void OwnerConnection::take() {
    xcb_set_selection_owner(connection_, window_, atom("CLIPBOARD"), XCB_CURRENT_TIME);
    xcb_flush(connection_);
}

void OwnerConnection::readEvents() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        onEvent_(*event);
        std::free(event);
    }
    xcb_flush(connection_);
}

void OwnerConnection::notify(const xcb_selection_request_event_t& request, bool given) {
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = given ? request.property : XCB_NONE;
    xcb_send_event(connection_, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&notify));
    xcb_flush(connection_);
}
