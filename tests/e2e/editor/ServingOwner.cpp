#include "ServingOwner.h"

#include <vector>

namespace {
// GTK's own piece size.
constexpr qsizetype kPieceBytes = 256 * 1024;
}  // namespace

ServingOwner::ServingOwner(Options options, QObject* parent)
    : QObject(parent),
      options_(std::move(options)),
      owner_([this](const xcb_generic_event_t& e) { event(e); }) {
    late_.setSingleShot(true);
    connect(&late_, &QTimer::timeout, this, &ServingOwner::answerNext);
}

ServingOwner::~ServingOwner() = default;

void ServingOwner::take() {
    owner_.take();
}

void ServingOwner::event(const xcb_generic_event_t& event) {
    const int type = event.response_type & 0x7f;
    if (type == XCB_SELECTION_REQUEST) {
        waiting_.push_back(reinterpret_cast<const xcb_selection_request_event_t&>(event));
        if (!late_.isActive()) {
            late_.start(options_.lateMs);
        }
    } else if (type == XCB_PROPERTY_NOTIFY) {
        const auto& change = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (change.window == requestor_ && change.atom == property_ &&
            change.state == XCB_PROPERTY_DELETE && requestor_ != 0) {
            sendPiece();
        }
    }
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
    xcb_flush(owner_.get());
}

void ServingOwner::answer(const xcb_selection_request_event_t& request) {
    if (request.target == owner_.atom("TARGETS")) {
        std::vector<xcb_atom_t> offered{owner_.atom("TARGETS"), owner_.atom("TIMESTAMP")};
        for (const auto& [type, bytes] : options_.values) {
            offered.push_back(owner_.atom(type));
        }
        xcb_change_property(owner_.get(), XCB_PROP_MODE_REPLACE, request.requestor,
                            request.property, XCB_ATOM_ATOM, 32, uint32_t(offered.size()),
                            offered.data());
        owner_.notify(request, true);
        return;
    }
    for (const auto& [type, bytes] : options_.values) {
        if (owner_.atom(type) != request.target) {
            continue;
        }
        // STRING and TEXT come as Latin-1 STRING, every other type as itself.
        const xcb_atom_t as =
            type == "TEXT" || type == "STRING" ? xcb_atom_t(XCB_ATOM_STRING) : owner_.atom(type);
        if (bytes.size() <= kPieceBytes) {
            xcb_change_property(owner_.get(), XCB_PROP_MODE_REPLACE, request.requestor,
                                request.property, as, 8, uint32_t(bytes.size()), bytes.constData());
            owner_.notify(request, true);
            return;
        }
        requestor_ = request.requestor;
        property_ = request.property;
        type_ = as;
        sending_ = bytes;
        sent_ = 0;
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(owner_.get(), requestor_, XCB_CW_EVENT_MASK, &events);
        const auto size = uint32_t(bytes.size());
        xcb_change_property(owner_.get(), XCB_PROP_MODE_REPLACE, requestor_, property_,
                            owner_.atom("INCR"), 32, 1, &size);
        owner_.notify(request, true);
        return;
    }
    owner_.notify(request, false);
}

void ServingOwner::sendPiece() {
    const qsizetype size = std::min(kPieceBytes, sending_.size() - sent_);
    xcb_change_property(owner_.get(), XCB_PROP_MODE_REPLACE, requestor_, property_, type_, 8,
                        uint32_t(size), sending_.constData() + sent_);
    sent_ += size;
    if (size == 0) {
        // The empty piece ends the transfer.
        requestor_ = 0;
        sending_.clear();
    }
}
