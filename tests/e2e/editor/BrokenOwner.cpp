#include "BrokenOwner.h"

#include <QFile>
#include <QSocketNotifier>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
constexpr int kPieceBytes = 4096;
constexpr int kPieceIntervalMs = 1500;
}  // namespace

std::optional<BrokenOwner::Mode> BrokenOwner::modeNamed(const QString& name) {
    static const std::pair<const char*, Mode> modes[] = {{"silent", Mode::silent},
                                                         {"refuse", Mode::refuse},
                                                         {"no-targets", Mode::noTargets},
                                                         {"string-targets", Mode::stringTargets},
                                                         {"huge-targets", Mode::hugeTargets},
                                                         {"slow-pieces", Mode::slowPieces},
                                                         {"vanish", Mode::vanish}};
    for (const auto& [named, mode] : modes) {
        if (name == QLatin1String(named)) {
            return mode;
        }
    }
    return std::nullopt;
}

BrokenOwner::BrokenOwner(Mode mode, QString countPath, QObject* parent)
    : QObject(parent), mode_(mode), countPath_(std::move(countPath)) {
    connection_ = xcb_connect(nullptr, nullptr);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    window_ = xcb_generate_id(connection_);
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_flush(connection_);
    notifier_ =
        new QSocketNotifier(xcb_get_file_descriptor(connection_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &BrokenOwner::readEvents);
    pieceTimer_.setSingleShot(true);
    connect(&pieceTimer_, &QTimer::timeout, this, &BrokenOwner::sendPiece);
}

BrokenOwner::~BrokenOwner() {
    xcb_disconnect(connection_);
}

xcb_atom_t BrokenOwner::atom(const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : XCB_ATOM_NONE;
    std::free(reply);
    return atom;
}

void BrokenOwner::take() {
    xcb_set_selection_owner(connection_, window_, atom("CLIPBOARD"), XCB_CURRENT_TIME);
    xcb_flush(connection_);
}

void BrokenOwner::readEvents() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        const int type = event->response_type & 0x7f;
        if (type == XCB_SELECTION_REQUEST) {
            answer(*reinterpret_cast<xcb_selection_request_event_t*>(event));
        } else if (type == XCB_PROPERTY_NOTIFY) {
            const auto* change = reinterpret_cast<xcb_property_notify_event_t*>(event);
            if (change->window == requestor_ && change->atom == property_ &&
                change->state == XCB_PROPERTY_DELETE) {
                if (mode_ == Mode::vanish && pieces_ > 0) {
                    // Gone in the middle of the transfer, as a crash would.
                    std::_Exit(0);
                }
                pieceTimer_.start(mode_ == Mode::slowPieces && pieces_ > 0 ? kPieceIntervalMs : 0);
            }
        }
        std::free(event);
    }
    xcb_flush(connection_);
}

void BrokenOwner::answer(const xcb_selection_request_event_t& request) {
    ++requests_;
    QFile count(countPath_);
    if (!countPath_.isEmpty() && count.open(QIODevice::WriteOnly)) {
        count.write(QByteArray::number(requests_));
    }
    const bool targets = request.target == atom("TARGETS");
    switch (mode_) {
        case Mode::silent:
            return;
        case Mode::refuse:
            notify(request, false);
            return;
        case Mode::noTargets:
            if (!targets) {
                const QByteArray text = "no list of targets";
                xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor,
                                    request.property, atom("UTF8_STRING"), 8, text.size(),
                                    text.constData());
            }
            notify(request, !targets);
            return;
        case Mode::stringTargets: {
            const QByteArray megabyte(1 << 20, 'x');
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor,
                                request.property, XCB_ATOM_STRING, 8, megabyte.size(),
                                megabyte.constData());
            notify(request, true);
            return;
        }
        case Mode::hugeTargets: {
            std::vector<uint32_t> atoms(20000);
            for (size_t i = 0; i < atoms.size(); ++i) {
                atoms[i] = uint32_t(0x100000 + i);
            }
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor,
                                request.property, XCB_ATOM_ATOM, 32, uint32_t(atoms.size()),
                                atoms.data());
            notify(request, true);
            return;
        }
        case Mode::slowPieces:
        case Mode::vanish:
            if (targets) {
                const uint32_t offered[] = {atom("TARGETS"), atom("UTF8_STRING")};
                xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor,
                                    request.property, XCB_ATOM_ATOM, 32, 2, offered);
                notify(request, true);
                return;
            }
            requestor_ = request.requestor;
            property_ = request.property;
            pieces_ = 0;
            const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
            xcb_change_window_attributes(connection_, requestor_, XCB_CW_EVENT_MASK, &events);
            const uint32_t size = 1 << 30;
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, requestor_, property_,
                                atom("INCR"), 32, 1, &size);
            notify(request, true);
            return;
    }
}

void BrokenOwner::notify(const xcb_selection_request_event_t& request, bool given) {
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

void BrokenOwner::sendPiece() {
    const QByteArray piece(kPieceBytes, 'p');
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, requestor_, property_,
                        atom("UTF8_STRING"), 8, piece.size(), piece.constData());
    ++pieces_;
    xcb_flush(connection_);
}
