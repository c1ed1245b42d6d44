#include "ServingOwner.h"

#include <QSocketNotifier>
#include <cstdlib>
#include <vector>

namespace {
// GTK's own piece size.
constexpr qsizetype kPieceBytes = 256 * 1024;
}  // namespace

ServingOwner::ServingOwner(Options options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {
    connection_ = xcb_connect(nullptr, nullptr);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    window_ = xcb_generate_id(connection_);
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_flush(connection_);
    notifier_ =
        new QSocketNotifier(xcb_get_file_descriptor(connection_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ServingOwner::readEvents);
    late_.setSingleShot(true);
    connect(&late_, &QTimer::timeout, this, &ServingOwner::answerNext);
}

ServingOwner::~ServingOwner() {
    xcb_disconnect(connection_);
}

xcb_atom_t ServingOwner::atom(const QByteArray& name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, uint16_t(name.size()), name.constData()),
        nullptr);
    const xcb_atom_t atom = reply ? reply->atom : XCB_ATOM_NONE;
    std::free(reply);
    return atom;
}

void ServingOwner::take() {
    xcb_set_selection_owner(connection_, window_, atom("CLIPBOARD"), XCB_CURRENT_TIME);
    xcb_flush(connection_);
}

void ServingOwner::readEvents() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        const int type = event->response_type & 0x7f;
        if (type == XCB_SELECTION_REQUEST) {
            waiting_.push_back(*reinterpret_cast<xcb_selection_request_event_t*>(event));
            if (!late_.isActive()) {
                late_.start(options_.lateMs);
            }
        } else if (type == XCB_PROPERTY_NOTIFY) {
            const auto* change = reinterpret_cast<xcb_property_notify_event_t*>(event);
            if (change->window == requestor_ && change->atom == property_ &&
                change->state == XCB_PROPERTY_DELETE && requestor_ != 0) {
                sendPiece();
            }
        }
        std::free(event);
    }
    xcb_flush(connection_);
}

void ServingOwner::answerNext() {
    if (waiting_.empty()) {
        return;
    }
    const xcb_selection_request_event_t request = waiting_.front();
    waiting_.pop_front();
    if (options_.answers < 0 || answered_ < options_.answers) {
        ++answered_;
        answer(request);
    }
    if (!waiting_.empty()) {
        late_.start(options_.lateMs);
    }
    xcb_flush(connection_);
}

void ServingOwner::answer(const xcb_selection_request_event_t& request) {
    if (request.target == atom("TARGETS")) {
        std::vector<xcb_atom_t> offered{atom("TARGETS"), atom("TIMESTAMP")};
        for (const auto& [type, bytes] : options_.values) {
            offered.push_back(atom(type));
        }
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, request.property,
                            XCB_ATOM_ATOM, 32, uint32_t(offered.size()), offered.data());
        notify(request, true);
        return;
    }
    for (const auto& [type, bytes] : options_.values) {
        if (atom(type) != request.target) {
            continue;
        }
        // STRING and TEXT come as Latin-1 STRING, every other type as itself.
        const xcb_atom_t as =
            type == "TEXT" || type == "STRING" ? xcb_atom_t(XCB_ATOM_STRING) : atom(type);
        if (bytes.size() <= kPieceBytes) {
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor,
                                request.property, as, 8, uint32_t(bytes.size()), bytes.constData());
            notify(request, true);
            return;
        }
        requestor_ = request.requestor;
        property_ = request.property;
        type_ = as;
        sending_ = bytes;
        sent_ = 0;
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection_, requestor_, XCB_CW_EVENT_MASK, &events);
        const auto size = uint32_t(bytes.size());
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, requestor_, property_, atom("INCR"),
                            32, 1, &size);
        notify(request, true);
        return;
    }
    notify(request, false);
}

void ServingOwner::notify(const xcb_selection_request_event_t& request, bool given) {
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = given ? request.property : XCB_NONE;
    xcb_send_event(connection_, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&notify));
}

void ServingOwner::sendPiece() {
    const qsizetype size = std::min(kPieceBytes, sending_.size() - sent_);
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, requestor_, property_, type_, 8,
                        uint32_t(size), sending_.constData() + sent_);
    sent_ += size;
    if (size == 0) {
        // The empty piece ends the transfer.
        requestor_ = 0;
        sending_.clear();
    }
}
