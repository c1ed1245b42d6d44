#include "BrokenOwner.h"

#include <QFile>
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
    : QObject(parent),
      mode_(mode),
      countPath_(std::move(countPath)),
      owner_([this](const xcb_generic_event_t& e) { event(e); }) {
    pieceTimer_.setSingleShot(true);
    connect(&pieceTimer_, &QTimer::timeout, this, &BrokenOwner::sendPiece);
}

BrokenOwner::~BrokenOwner() = default;

void BrokenOwner::take() {
    owner_.take();
}

void BrokenOwner::event(const xcb_generic_event_t& event) {
    const int type = event.response_type & 0x7f;
    if (type == XCB_SELECTION_REQUEST) {
        answer(reinterpret_cast<const xcb_selection_request_event_t&>(event));
    } else if (type == XCB_PROPERTY_NOTIFY) {
        const auto& change = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (change.window == requestor_ && change.atom == property_ &&
            change.state == XCB_PROPERTY_DELETE) {
            if (mode_ == Mode::vanish && pieces_ > 0) {
                // Gone in the middle of the transfer, as a crash would.
                std::_Exit(0);
            }
            pieceTimer_.start(mode_ == Mode::slowPieces && pieces_ > 0 ? kPieceIntervalMs : 0);
        }
    }
}

void BrokenOwner::answer(const xcb_selection_request_event_t& request) {
    ++requests_;
    QFile count(countPath_);
    if (!countPath_.isEmpty() && count.open(QIODevice::WriteOnly)) {
        count.write(QByteArray::number(requests_));
    }
    const bool targets = request.target == owner_.atom("TARGETS");
    switch (mode_) {
        case Mode::silent:
            return;
        case Mode::refuse:
            owner_.notify(request, false);
            return;
        case Mode::noTargets:
            if (!targets) {
                const QByteArray text = "no list of targets";
                xcb_change_property(owner_.get(), XCB_PROP_MODE_REPLACE, request.requestor,
                                    request.property, owner_.atom("UTF8_STRING"), 8, text.size(),
                                    text.constData());
            }
            owner_.notify(request, !targets);
            return;
        case Mode::stringTargets: {
            const QByteArray megabyte(1 << 20, 'x');
            xcb_change_property(owner_.get(), XCB_PROP_MODE_REPLACE, request.requestor,
                                request.property, XCB_ATOM_STRING, 8, megabyte.size(),
                                megabyte.constData());
            owner_.notify(request, true);
            return;
        }
        case Mode::hugeTargets: {
            std::vector<uint32_t> atoms(20000);
            for (size_t i = 0; i < atoms.size(); ++i) {
                atoms[i] = uint32_t(0x100000 + i);
            }
            xcb_change_property(owner_.get(), XCB_PROP_MODE_REPLACE, request.requestor,
                                request.property, XCB_ATOM_ATOM, 32, uint32_t(atoms.size()),
                                atoms.data());
            owner_.notify(request, true);
            return;
        }
        case Mode::slowPieces:
        case Mode::vanish:
            if (targets) {
                const uint32_t offered[] = {owner_.atom("TARGETS"), owner_.atom("UTF8_STRING")};
                xcb_change_property(owner_.get(), XCB_PROP_MODE_REPLACE, request.requestor,
                                    request.property, XCB_ATOM_ATOM, 32, 2, offered);
                owner_.notify(request, true);
                return;
            }
            requestor_ = request.requestor;
            property_ = request.property;
            pieces_ = 0;
            const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
            xcb_change_window_attributes(owner_.get(), requestor_, XCB_CW_EVENT_MASK, &events);
            const uint32_t size = 1 << 30;
            xcb_change_property(owner_.get(), XCB_PROP_MODE_REPLACE, requestor_, property_,
                                owner_.atom("INCR"), 32, 1, &size);
            owner_.notify(request, true);
            return;
    }
}

void BrokenOwner::sendPiece() {
    const QByteArray piece(kPieceBytes, 'p');
    xcb_change_property(owner_.get(), XCB_PROP_MODE_REPLACE, requestor_, property_,
                        owner_.atom("UTF8_STRING"), 8, piece.size(), piece.constData());
    ++pieces_;
    xcb_flush(owner_.get());
}
