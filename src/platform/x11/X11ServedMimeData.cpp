#include "platform/x11/X11ServedMimeData.h"

#include <xcb/xcb.h>
#include <QCoreApplication>
#include <algorithm>

#include "platform/x11/X11SelectionOwner.h"

namespace {

const QString kText = QStringLiteral("text/plain");
const QByteArray kStringTargets[] = {"UTF8_STRING", "STRING", "TEXT"};

quint32 internAtom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name), nullptr);
    const quint32 atom = reply ? reply->atom : 0;
    free(reply);
    return atom;
}

}  // namespace

X11ClipboardRequests::X11ClipboardRequests() {
    xcb_connection_t* connection = X11SelectionOwner::qtConnection();
    if (!connection) {
        return;
    }
    clipboard_ = internAtom(connection, "CLIPBOARD");
    utf8String_ = internAtom(connection, "UTF8_STRING");
    text_ = internAtom(connection, "TEXT");
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11ClipboardRequests::~X11ClipboardRequests() {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->removeNativeEventFilter(this);
    }
}

bool X11ClipboardRequests::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_SELECTION_REQUEST) {
        return false;
    }
    const auto* request = reinterpret_cast<const xcb_selection_request_event_t*>(event);
    if (request->selection == clipboard_) {
        asked_ = request->target == utf8String_       ? kStringTargets[0]
                 : request->target == XCB_ATOM_STRING ? kStringTargets[1]
                 : request->target == text_           ? kStringTargets[2]
                                                      : QByteArray();
        QMetaObject::invokeMethod(
            &forget_, [this] { asked_.clear(); }, Qt::QueuedConnection);
    }
    // Qt answers the request itself, right after this.
    return false;
}

X11ServedMimeData::X11ServedMimeData(QList<PasteboardValue> values,
                                     std::shared_ptr<X11Pasteboard::ServeState> state,
                                     std::shared_ptr<const X11ClipboardRequests> requests)
    : values_(std::move(values)), state_(std::move(state)), requests_(std::move(requests)) {}

const QByteArray* X11ServedMimeData::held(const QString& type) const {
    for (const PasteboardValue& value : values_) {
        if (value.type == type) {
            return &value.data;
        }
    }
    return nullptr;
}

std::optional<QByteArray> X11ServedMimeData::forStringTarget(const QByteArray& target) const {
    const QByteArray* bytes = held(QString::fromLatin1(target));
    if (!bytes) {
        return std::nullopt;
    }
    return target == kStringTargets[0] ? *bytes : QString::fromLatin1(*bytes).toUtf8();
}

QStringList X11ServedMimeData::formats() const {
    QStringList types;
    bool stringTarget = false;
    for (const PasteboardValue& value : values_) {
        types.append(value.type);
        stringTarget =
            stringTarget || std::find(std::begin(kStringTargets), std::end(kStringTargets),
                                      value.type.toLatin1()) != std::end(kStringTargets);
    }
    if (stringTarget && !types.contains(kText)) {
        types.append(kText);
    }
    return types;
}

bool X11ServedMimeData::hasFormat(const QString& type) const {
    return formats().contains(type);
}

QVariant X11ServedMimeData::retrieveData(const QString& type, QMetaType) const {
    const bool fetched = state_->localReads == 0;
    if (fetched && type.startsWith(QLatin1String("text/"))) {
        state_->textServed = true;
    }
    if (type == kText) {
        // A client asking for a string target, or our text/plain stands for them.
        const QByteArray asked =
            fetched && requests_ ? requests_->askedStringTarget() : QByteArray();
        if (!asked.isEmpty()) {
            if (const auto bytes = forStringTarget(asked)) {
                return *bytes;
            }
        }
        if (!held(kText)) {
            for (const QByteArray& target : kStringTargets) {
                if (const auto bytes = forStringTarget(target)) {
                    return *bytes;
                }
            }
        }
    }
    if (const QByteArray* bytes = held(type)) {
        return *bytes;
    }
    return {};
}
