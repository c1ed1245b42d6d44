#include "platform/x11/X11SelectionReader.h"

#include <poll.h>
#include <xcb/xcb.h>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Owned = std::unique_ptr<T, FreeReply>;

// Up to the largest property the server holds, in 32-bit units.
constexpr uint32_t kWholeProperty = 0x1fffffff;
// How often a wait looks at its stop flag.
constexpr int kStopCheckMs = 10;
// Atom names asked for at once.
constexpr int kNameBatch = 64;
// Names kept before the cache starts again: an owner may name atoms without end.
constexpr int kMaxKnownNames = 8192;

int typeOf(const xcb_generic_event_t* event) {
    return event->response_type & 0x7f;
}

bool isStringTarget(const QByteArray& name) {
    return name == "UTF8_STRING" || name == "STRING" || name == "TEXT";
}

// Without a trailing NUL, and without copying a large text to drop it.
QByteArrayView withoutTrailingNul(const QByteArray& bytes) {
    QByteArrayView view(bytes);
    return view.endsWith('\0') ? view.chopped(1) : view;
}

}  // namespace

void X11SelectionReader::Disconnect::operator()(xcb_connection_t* connection) const {
    xcb_disconnect(connection);
}

X11SelectionReader::X11SelectionReader(QByteArray displayName)
    : displayName_(std::move(displayName)) {}

X11SelectionReader::~X11SelectionReader() = default;

void X11SelectionReader::begin(Limits limits) {
    limits_ = std::move(limits);
    began_.start();
    taken_ = 0;
    overBudget_ = false;
    silent_ = false;
}

bool X11SelectionReader::exhausted() const {
    return overBudget_ || silent_ || (limits_.stop && limits_.stop()) ||
           (began_.isValid() && began_.elapsed() >= limits_.deadlineMs);
}

int X11SelectionReader::waitLimitMs() const {
    qint64 left = limits_.patienceMs;
    if (began_.isValid()) {
        left = std::min<qint64>(left, limits_.deadlineMs - began_.elapsed());
    }
    return int(std::max<qint64>(left, 0));
}

void X11SelectionReader::FreeEvent::operator()(void* event) const {
    std::free(event);
}

X11SelectionReader::Event X11SelectionReader::waitFor(
    const std::function<bool(const void*)>& wanted) {
    xcb_connection_t* connection = connection_.get();
    QElapsedTimer waited;
    waited.start();
    const int limitMs = waitLimitMs();
    while (xcb_connection_has_error(connection) == 0) {
        if (Owned<xcb_generic_event_t> event{xcb_poll_for_event(connection)}) {
            if (wanted(event.get())) {
                return Event(event.release());
            }
            continue;
        }
        if (limits_.stop && limits_.stop()) {
            return nullptr;
        }
        qint64 left = limitMs - waited.elapsed();
        if (left <= 0) {
            return nullptr;
        }
        if (limits_.stop) {
            left = std::min<qint64>(left, kStopCheckMs);
        }
        pollfd readable{xcb_get_file_descriptor(connection), POLLIN, 0};
        ::poll(&readable, 1, int(left));
    }
    return nullptr;
}

bool X11SelectionReader::connect() {
    if (connection_ && xcb_connection_has_error(connection_.get()) == 0) {
        return true;
    }
    // A broken connection is opened again: the display may have restarted its clients' links.
    connection_.reset(
        xcb_connect(displayName_.isEmpty() ? nullptr : displayName_.constData(), nullptr));
    atoms_.clear();
    names_.clear();
    window_ = 0;
    if (xcb_connection_has_error(connection_.get()) != 0) {
        return false;
    }
    property_ = atom("_NIVELO_SELECTION");
    clockProperty_ = atom("_NIVELO_SELECTION_TIME");
    makeWindow();
    return property_ != XCB_ATOM_NONE && clockProperty_ != XCB_ATOM_NONE;
}

void X11SelectionReader::makeWindow() {
    xcb_connection_t* connection = connection_.get();
    if (window_ != 0) {
        // An owner we gave up on may still write to the old window: it writes into nothing.
        xcb_destroy_window(connection, window_);
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    window_ = xcb_generate_id(connection);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window_, screen->root, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
}

quint32 X11SelectionReader::atom(const QByteArray& name) {
    if (const auto known = atoms_.constFind(name); known != atoms_.constEnd()) {
        return *known;
    }
    xcb_connection_t* connection = connection_.get();
    const Owned<xcb_intern_atom_reply_t> reply{xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, quint16(name.size()), name.constData()),
        nullptr)};
    if (!reply) {
        return XCB_ATOM_NONE;
    }
    atoms_.insert(name, reply->atom);
    names_.insert(reply->atom, name);
    return reply->atom;
}

QByteArray X11SelectionReader::atomName(quint32 atom) {
    learnNames({atom});
    return names_.value(atom);
}

void X11SelectionReader::learnNames(const QList<quint32>& atoms) {
    QList<quint32> unknown;
    for (const quint32 atom : atoms) {
        if (atom != XCB_ATOM_NONE && !names_.contains(atom) && !unknown.contains(atom)) {
            unknown.append(atom);
        }
    }
    if (names_.size() + unknown.size() > kMaxKnownNames) {
        names_.clear();
        atoms_.clear();
        atoms_.insert("_NIVELO_SELECTION", property_);
        atoms_.insert("_NIVELO_SELECTION_TIME", clockProperty_);
    }
    xcb_connection_t* connection = connection_.get();
    for (qsizetype from = 0; from < unknown.size(); from += kNameBatch) {
        const qsizetype count = std::min<qsizetype>(kNameBatch, unknown.size() - from);
        xcb_get_atom_name_cookie_t cookies[kNameBatch];
        for (qsizetype i = 0; i < count; ++i) {
            cookies[i] = xcb_get_atom_name(connection, unknown[from + i]);
        }
        for (qsizetype i = 0; i < count; ++i) {
            const Owned<xcb_get_atom_name_reply_t> reply{
                xcb_get_atom_name_reply(connection, cookies[i], nullptr)};
            if (!reply) {
                continue;
            }
            QByteArray name(xcb_get_atom_name_name(reply.get()),
                            xcb_get_atom_name_name_length(reply.get()));
            names_.insert(unknown[from + i], name);
            atoms_.insert(name, unknown[from + i]);
        }
    }
}

quint32 X11SelectionReader::owner(const QByteArray& selection) {
    if (!connect()) {
        return 0;
    }
    xcb_connection_t* connection = connection_.get();
    const Owned<xcb_get_selection_owner_reply_t> reply{xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atom(selection)), nullptr)};
    return reply ? reply->owner : 0;
}

quint32 X11SelectionReader::serverTime() {
    xcb_connection_t* connection = connection_.get();
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, window_, clockProperty_, XCB_ATOM_STRING,
                        8, 0, nullptr);
    xcb_flush(connection);
    const Event event = waitFor([this](const void* raw) {
        const auto* e = static_cast<const xcb_generic_event_t*>(raw);
        return typeOf(e) == XCB_PROPERTY_NOTIFY &&
               reinterpret_cast<const xcb_property_notify_event_t*>(e)->atom == clockProperty_ &&
               reinterpret_cast<const xcb_property_notify_event_t*>(e)->window == window_;
    });
    return event ? static_cast<xcb_property_notify_event_t*>(event.get())->time : XCB_CURRENT_TIME;
}

std::optional<QList<QByteArray>> X11SelectionReader::targets(const QByteArray& selection) {
    if (!connect()) {
        return std::nullopt;
    }
    const std::optional<Value> value = convert(atom(selection), atom("TARGETS"));
    // A list of atoms, or no answer: the names of whatever else came would cost a round trip
    // each and mean nothing.
    if (!value || value->type != "ATOM" || value->format != 32 ||
        value->data.size() / qsizetype(sizeof(quint32)) > kMaxTargets) {
        return std::nullopt;
    }
    QList<quint32> atoms;
    const auto* values = reinterpret_cast<const quint32*>(value->data.constData());
    for (qsizetype i = 0; i < value->data.size() / qsizetype(sizeof(quint32)); ++i) {
        atoms.append(values[i]);
    }
    learnNames(atoms);
    QList<QByteArray> names;
    for (const quint32 atom : atoms) {
        if (QByteArray name = names_.value(atom); !name.isEmpty() && !names.contains(name)) {
            names.append(std::move(name));
        }
    }
    return names;
}

std::optional<X11SelectionReader::Value> X11SelectionReader::read(const QByteArray& selection,
                                                                  const QByteArray& target) {
    if (!connect()) {
        return std::nullopt;
    }
    return convert(atom(selection), atom(target));
}

std::optional<X11SelectionReader::Value> X11SelectionReader::convert(quint32 selection,
                                                                     quint32 target) {
    if (exhausted()) {
        return std::nullopt;
    }
    xcb_connection_t* connection = connection_.get();
    valueTaken_ = 0;
    // What an earlier read that gave up left behind says nothing about this one.
    xcb_delete_property(connection, window_, property_);
    while (const Owned<xcb_generic_event_t> stale{xcb_poll_for_event(connection)}) {
    }
    const quint32 time = serverTime();
    xcb_convert_selection(connection, window_, selection, target, property_, time);
    xcb_flush(connection);
    const Event answer = waitFor([&](const void* raw) {
        const auto* e = static_cast<const xcb_generic_event_t*>(raw);
        if (typeOf(e) != XCB_SELECTION_NOTIFY) {
            return false;
        }
        const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(e);
        return notify->requestor == window_ && notify->selection == selection &&
               notify->target == target && notify->time == time;
    });
    if (!answer) {
        // The owner may still answer into our window, later, into another read.
        silent_ = true;
        makeWindow();
        return std::nullopt;
    }
    if (static_cast<xcb_selection_notify_event_t*>(answer.get())->property == XCB_NONE) {
        return std::nullopt;
    }
    std::optional<Value> value = takeProperty();
    if (value && value->type == "INCR") {
        // The owner names a lower bound of the size: room for it is made once, not again and
        // again as pieces come.
        quint32 size = 0;
        if (value->data.size() >= qsizetype(sizeof size)) {
            std::memcpy(&size, value->data.constData(), sizeof size);
        }
        value = takeIncrements(std::min<qsizetype>(size, limits_.maxValueBytes));
    }
    if (!value && exhausted()) {
        makeWindow();
    }
    return value;
}

std::optional<X11SelectionReader::Value> X11SelectionReader::takeProperty() {
    xcb_connection_t* connection = connection_.get();
    // No more than the budgets allow, and one unit beyond to see that there is more.
    const qsizetype left = std::max<qsizetype>(
        std::min(limits_.maxBytes - taken_, limits_.maxValueBytes - valueTaken_), 0);
    const uint32_t units = uint32_t(std::min<qsizetype>(kWholeProperty, left / 4 + 1));
    // Deleting it tells an owner sending in pieces that the next piece may come.
    const Owned<xcb_get_property_reply_t> reply{xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 1, window_, property_, XCB_GET_PROPERTY_TYPE_ANY, 0, units),
        nullptr)};
    if (!reply || reply->type == XCB_ATOM_NONE) {
        return std::nullopt;
    }
    const int length = xcb_get_property_value_length(reply.get());
    taken_ += length;
    valueTaken_ += length;
    if (reply->bytes_after > 0 || taken_ > limits_.maxBytes ||
        valueTaken_ > limits_.maxValueBytes) {
        overBudget_ = true;
        return std::nullopt;
    }
    Value value;
    value.type = atomName(reply->type);
    value.format = reply->format;
    value.data = QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())), length);
    return value;
}

std::optional<X11SelectionReader::Value> X11SelectionReader::takeIncrements(qsizetype sizeHint) {
    Value whole;
    whole.data.reserve(sizeHint);
    bool typed = false;
    while (!exhausted()) {
        const Event piece = waitFor([this](const void* raw) {
            const auto* e = static_cast<const xcb_generic_event_t*>(raw);
            const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(e);
            return typeOf(e) == XCB_PROPERTY_NOTIFY && notify->window == window_ &&
                   notify->atom == property_ && notify->state == XCB_PROPERTY_NEW_VALUE;
        });
        if (!piece) {
            // Gone quiet, or gone: an owner that vanished sends nothing more.
            silent_ = true;
            makeWindow();
            return std::nullopt;
        }
        std::optional<Value> value = takeProperty();
        if (!value) {
            return std::nullopt;
        }
        if (!typed) {
            whole.type = value->type;
            whole.format = value->format;
            typed = true;
        }
        if (value->data.isEmpty()) {
            // An empty piece ends the transfer.
            return whole;
        }
        whole.data.append(value->data);
    }
    return std::nullopt;
}

X11SelectionReader::Text X11SelectionReader::text(const QByteArray& selection,
                                                  const QList<QByteArray>& targets) {
    return textOf(targets, [&](const QByteArray& target) { return read(selection, target); });
}

X11SelectionReader::Text X11SelectionReader::textOf(
    const QList<QByteArray>& targets,
    const std::function<std::optional<Value>(const QByteArray&)>& valueOf) {
    static const QByteArray kTextTargets[] = {"UTF8_STRING", "text/plain;charset=utf-8",
                                              "text/plain", "STRING", "TEXT"};
    for (const QByteArray& target : kTextTargets) {
        if (!targets.contains(target)) {
            continue;
        }
        const std::optional<Value> value = valueOf(target);
        if (!value) {
            return {std::nullopt, false};
        }
        const QByteArrayView bytes = withoutTrailingNul(value->data);
        if (bytes.isEmpty()) {
            continue;
        }
        if (value->type == "STRING") {
            return {QString::fromLatin1(bytes)};
        }
        QString text = QString::fromUtf8(bytes);
        if (target == "text/plain;charset=utf-8") {
            // GTK serves the MIME text with CR LF line ends and reads it back with LF.
            text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        }
        return {std::move(text)};
    }
    return {};
}

QStringList X11SelectionReader::formatsOf(const QList<QByteArray>& targets) {
    QStringList formats;
    for (const QByteArray& target : targets) {
        if (const QString format = QString::fromLatin1(target); !formats.contains(format)) {
            formats.append(format);
        }
    }
    if (std::any_of(targets.begin(), targets.end(), isStringTarget) &&
        !formats.contains(QLatin1String("text/plain"))) {
        formats.append(QStringLiteral("text/plain"));
    }
    return formats;
}

std::optional<QByteArray> X11SelectionReader::data(const QByteArray& selection,
                                                   const QString& format,
                                                   const QList<QByteArray>& targets) {
    QByteArray bytes;
    if (targets.contains(format.toLatin1())) {
        bytes = read(selection, format.toLatin1()).value_or(Value{}).data;
    } else if (format == QLatin1String("text/plain") &&
               std::any_of(targets.begin(), targets.end(), isStringTarget)) {
        bytes = text(selection, targets).text.value_or(QString()).toUtf8();
    }
    if (bytes.isEmpty()) {
        return std::nullopt;
    }
    return bytes;
}
