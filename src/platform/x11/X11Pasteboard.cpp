#include "platform/x11/X11Pasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/x11/QtServerTime.h"
#include "platform/x11/X11ClipboardKeeper.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11SelectionFetches.h"
#include "platform/x11/X11SelectionOwner.h"
#include "platform/x11/X11SelectionPrefetch.h"
#include "platform/x11/X11SelectionReader.h"
#include "platform/x11/X11SelectionWatch.h"
#include "platform/x11/X11ServedMimeData.h"

#include "platform/x11/Xlib.h"

namespace {
// Marks our own reads for the duration of a call.
class LocalRead {
public:
    explicit LocalRead(X11Pasteboard::ServeState& state) : state_(state) { ++state_.localReads; }
    ~LocalRead() { --state_.localReads; }

private:
    X11Pasteboard::ServeState& state_;
};

QClipboard* clipboard() {
    return QGuiApplication::clipboard();
}

// Small targets that mark a content (a password manager's hint), read with the text.
const QList<QByteArray> kMarkerTargets{"x-kde-passwordManagerHint"};

// How long a caller that cannot wait in the event loop waits for a read aside: a frame.
constexpr int kFrameMs = 12;
}  // namespace

X11Pasteboard::X11Pasteboard(std::shared_ptr<X11Connection> connection, QObject* parent)
    : QObject(parent),
      serve_(std::make_shared<ServeState>()),
      connection_(connection ? std::move(connection) : std::make_shared<X11Connection>()),
      owners_(std::make_unique<X11SelectionWatch>(connection_, "CLIPBOARD")),
      requests_(std::make_shared<X11ClipboardRequests>()) {
    if (Display* display = X11SelectionOwner::qtDisplay()) {
        X11SelectionPrefetch::Options options;
        options.markers = kMarkerTargets;
        options.keeps = &X11Pasteboard::isContentType;
        prefetch_ = std::make_unique<X11SelectionPrefetch>(
            DisplayString(display), "CLIPBOARD", this,
            [this](X11SelectionPrefetch::Result read) { take(std::move(read)); },
            std::move(options));
    }
    if (owners_->isWatching()) {
        // Every owner the server names, ours too: a copy in one of our own fields is ours.
        owners_->onChange([this] {
            changed();
            Q_EMIT ownerChanged();
        });
        return;
    }
    // Without the XFixes extension only Qt's belief is left.
    connect(clipboard(), &QClipboard::changed, this, [this](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard) {
            changed();
            Q_EMIT ownerChanged();
        }
    });
}

X11Pasteboard::~X11Pasteboard() = default;

bool X11Pasteboard::isContentType(const QString& type) {
    static const QStringList protocolTargets{
        QStringLiteral("TARGETS"), QStringLiteral("MULTIPLE"), QStringLiteral("TIMESTAMP"),
        QStringLiteral("SAVE_TARGETS"), QStringLiteral("DELETE"),
        // Qt's own stand-in for any image type it can decode; the image's real type is kept.
        QStringLiteral("application/x-qt-image")};
    return !type.isEmpty() && !protocolTargets.contains(type);
}

const QMimeData* X11Pasteboard::currentData() const {
    return clipboard()->mimeData(QClipboard::Clipboard);
}

int X11Pasteboard::itemCount() const {
    return types().isEmpty() ? 0 : 1;
}

QStringList X11Pasteboard::types() const {
    QStringList types;
    if (!ownsClipboard()) {
        const X11SelectionPrefetch::Result* read = asideWithin(false);
        if (!read || !read->targets) {
            return types;
        }
        for (const QString& type : X11SelectionReader::formatsOf(*read->targets)) {
            if (isContentType(type)) {
                types.append(type);
            }
        }
        return types;
    }
    LocalRead read(*serve_);
    if (const QMimeData* data = currentData()) {
        for (const QString& type : data->formats()) {
            if (isContentType(type) && !types.contains(type)) {
                types.append(type);
            }
        }
    }
    return types;
}

const X11SelectionPrefetch::Result* X11Pasteboard::aside(bool content) const {
    if (!aside_ || aside_->generation != changeCount_) {
        return nullptr;
    }
    // A read that got no list of formats stands for every read of this change.
    const bool gaveUp = !aside_->targets;
    return aside_->content || !content || gaveUp ? &*aside_ : nullptr;
}

bool X11Pasteboard::pending(bool content) const {
    if (!prefetch_ || aside(content)) {
        return false;
    }
    if (asked_ && asked_->first == changeCount_ && (asked_->second || !content)) {
        return true;
    }
    if (ownsClipboard()) {
        return false;
    }
    asked_ = std::pair(changeCount_, content);
    prefetch_->request(changeCount_, content);
    return true;
}

const X11SelectionPrefetch::Result* X11Pasteboard::asideWithin(bool content) const {
    if (pending(content)) {
        if (auto read = prefetch_->wait(changeCount_, content, kFrameMs)) {
            take(std::move(*read));
        }
    }
    return aside(content);
}

void X11Pasteboard::take(X11SelectionPrefetch::Result read) const {
    prefetch_->forget(read.generation, read.content);
    // A read of an earlier change says nothing of the present one.
    if (read.generation != changeCount_ || aside(read.content)) {
        return;
    }
    aside_ = std::move(read);
}

QStringList X11Pasteboard::itemTypes(int index) const {
    return index == 0 ? types() : QStringList();
}

std::optional<QByteArray> X11Pasteboard::itemData(int index, const QString& type) const {
    if (index != 0 || !isContentType(type)) {
        return std::nullopt;
    }
    if (!ownsClipboard()) {
        const bool marker = kMarkerTargets.contains(type.toLatin1());
        const X11SelectionPrefetch::Result* read = asideWithin(!marker);
        if (!read) {
            return std::nullopt;
        }
        for (const auto& [format, bytes] : read->values) {
            if (format == type && !bytes.isEmpty()) {
                return bytes;
            }
        }
        return std::nullopt;
    }
    LocalRead read(*serve_);
    const QMimeData* data = currentData();
    if (!data || !data->hasFormat(type)) {
        return std::nullopt;
    }
    QByteArray bytes = data->data(type);
    if (bytes.isEmpty()) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<QString> X11Pasteboard::plainText() const {
    return readPlainText().text;
}

PasteboardTextRead X11Pasteboard::readPlainText() const {
    if (ownsClipboard()) {
        LocalRead read(*serve_);
        const QMimeData* data = currentData();
        return {data ? textOf(*data, true) : std::nullopt};
    }
    const X11SelectionPrefetch::Result* read = asideWithin(false);
    if (!read) {
        return {std::nullopt, false};
    }
    return {read->text.text, read->text.answered};
}

std::optional<QString> X11Pasteboard::textOf(const QMimeData& data, bool ours) {
    // Another owner: what its own toolkit pastes, UTF8_STRING as it is. Ours: the text as
    // written, or another owner's UTF8_STRING as restored. GTK serves the MIME text types with CR
    // LF line ends (the MIME form of text) and reads them back with LF.
    const bool utf8String = !ours || data.hasFormat(QStringLiteral("UTF8_STRING"));
    const QString exact = utf8String ? QStringLiteral("UTF8_STRING") : QStringLiteral("text/plain");
    if (!ours || data.hasFormat(exact)) {
        const QByteArray bytes = data.data(exact);
        if (!bytes.isEmpty()) {
            return QString::fromUtf8(bytes);
        }
    }
    const QString mime = QStringLiteral("text/plain;charset=utf-8");
    if (data.hasFormat(mime)) {
        QString text = QString::fromUtf8(data.data(mime));
        if (!text.isEmpty()) {
            return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        }
    }
    if (!data.hasText()) {
        return std::nullopt;
    }
    return data.text();
}

bool X11Pasteboard::contentWhole() const {
    if (ownsClipboard()) {
        return true;
    }
    const X11SelectionPrefetch::Result* read = asideWithin(true);
    return read && read->content && read->whole;
}

void X11Pasteboard::letGoOfRead() {
    // A read still to come is kept: someone may be waiting for it.
    if (aside_) {
        aside_.reset();
        asked_.reset();
    }
}

bool X11Pasteboard::textPending() {
    return pending(false);
}

bool X11Pasteboard::contentPending() {
    return pending(true);
}

void X11Pasteboard::clear() {
    if (fetches_) {
        fetches_->restart();
    }
    serve_ = std::make_shared<ServeState>();
    qtServerTime::setSelection(QClipboard::Clipboard, nullptr);
    changed();
}

void X11Pasteboard::writeItems(const QList<PasteboardItem>& items) {
    if (fetches_) {
        fetches_->restart();
    }
    auto state = std::make_shared<ServeState>();
    // The X clipboard holds one item: the first representation of each type wins.
    QList<PasteboardValue> values;
    QStringList types;
    for (const PasteboardItem& item : items) {
        for (const PasteboardValue& value : item.values) {
            if (isContentType(value.type) && !types.contains(value.type)) {
                types.append(value.type);
                values.append(value);
            }
        }
    }
    auto* data = new X11ServedMimeData(std::move(values), state, requests_);
    qtServerTime::setSelection(QClipboard::Clipboard, data);
    serve_ = std::move(state);
    changed();
}

void X11Pasteboard::setPlainText(const QString& text) {
    if (fetches_) {
        fetches_->restart();
    }
    auto state = std::make_shared<ServeState>();
    auto* data =
        new X11ServedMimeData({{QStringLiteral("text/plain"), text.toUtf8()}}, state, requests_);
    qtServerTime::setSelection(QClipboard::Clipboard, data);
    serve_ = std::move(state);
    changed();
}

bool X11Pasteboard::lastWriteTextServed() const {
    return serve_->textServed;
}

void X11Pasteboard::changed() {
    ++changeCount_;
    // Nothing of another owner's content is kept past its change.
    aside_.reset();
    asked_.reset();
    tellKeeper();
}

bool X11Pasteboard::ownsClipboard() const {
    return X11SelectionOwner::ownedBy(X11SelectionOwner::qtConnection(), "CLIPBOARD");
}

std::optional<qint64> X11Pasteboard::ownerProcessIdentifier() const {
    if (ownsClipboard()) {
        return QCoreApplication::applicationPid();
    }
    return X11SelectionOwner::ownerProcess(X11SelectionOwner::qtConnection(),
                                           X11SelectionOwner::qtDisplay(), "CLIPBOARD");
}

PasteboardFetch X11Pasteboard::lastWriteFetch() const {
    if (!fetches_) {
        return Pasteboard::lastWriteFetch();
    }
    // Qt's own record counts any client; the followed fetches only the paste target's.
    return {fetches_->served(), fetches_->underway(), fetches_->steps()};
}

void X11Pasteboard::followFetches(std::shared_ptr<X11Connection> connection) {
    fetches_ = std::make_unique<X11SelectionFetches>(std::move(connection));
}

void X11Pasteboard::keepWith(std::unique_ptr<X11ClipboardKeeper> keeper) {
    keeper_ = std::move(keeper);
    tellKeeper();
}

QList<PasteboardValue> X11Pasteboard::ownValues() const {
    LocalRead read(*serve_);
    QList<PasteboardValue> values;
    if (const QMimeData* data = currentData()) {
        for (const QString& type : data->formats()) {
            if (isContentType(type)) {
                if (QByteArray bytes = data->data(type); !bytes.isEmpty()) {
                    values.append({type, std::move(bytes)});
                }
            }
        }
    }
    return values;
}

void X11Pasteboard::tellKeeper() {
    if (!keeper_ || keeperToldSoon_) {
        return;
    }
    // On the next turn of the event loop: a restore (clear, then write) is one change for the
    // keeper, and the copy for it is not made while the restore runs.
    keeperToldSoon_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            keeperToldSoon_ = false;
            tellKeeperNow();
        },
        Qt::QueuedConnection);
}

void X11Pasteboard::tellKeeperNow() {
    if (!keeper_) {
        return;
    }
    if (!ownsClipboard()) {
        keeper_->drop();
        return;
    }
    keeper_->keep(ownValues(), ownerWindow());
}

quint32 X11Pasteboard::ownerWindow() const {
    // Qt owns every selection through one window for the life of the process.
    if (ownerWindow_ == 0 && ownsClipboard()) {
        ownerWindow_ =
            X11SelectionOwner::ownerWindow(X11SelectionOwner::qtConnection(), "CLIPBOARD");
    }
    return ownerWindow_;
}

void X11Pasteboard::handOverAtExit() {
    if (!keeper_) {
        return;
    }
    if (!ownsClipboard() || X11ClipboardKeeper::managerRuns()) {
        // Nothing of ours to keep, or Qt hands it to the clipboard manager as the application
        // object goes.
        keeper_->drop();
        return;
    }
    keeper_->takeOverNow(ownValues(), ownerWindow(), 3000);
}
