#include "platform/x11/X11PrimarySelection.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <functional>
#include <utility>

#include "platform/Pasteboard.h"
#include "platform/x11/QtServerTime.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11SelectionPrefetch.h"

#include "platform/x11/Xlib.h"

namespace {
// Data we lend: Qt answers another client's request through retrieveData.
class LentMimeData : public QMimeData {
public:
    explicit LentMimeData(std::function<void()> served) : served_(std::move(served)) {}

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override {
        if (mimeType.startsWith(QLatin1String("text/"))) {
            served_();
        }
        return QMimeData::retrieveData(mimeType, type);
    }

private:
    std::function<void()> served_;
};

QClipboard* clipboard() {
    return QGuiApplication::clipboard();
}

// How long a lend waits for PRIMARY's previous content: a frame.
constexpr int kFrameMs = 12;

// The window right below the root that holds `window` (the frame or the client window).
Window topLevelOf(Display* display, Window window) {
    for (int depth = 0; depth < 16 && window != None; ++depth) {
        Window root = None;
        Window parent = None;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, window, &root, &parent, &children, &count)) {
            return None;
        }
        if (children) {
            XFree(children);
        }
        if (parent == root || parent == None) {
            return window;
        }
        window = parent;
    }
    return None;
}
}  // namespace

X11PrimarySelection::X11PrimarySelection(std::shared_ptr<X11Connection> connection)
    : connection_(std::move(connection)) {
    if (Display* display = connection_->display()) {
        X11SelectionPrefetch::Options options;
        options.keeps = &X11Pasteboard::isContentType;
        reader_ = std::make_unique<X11SelectionPrefetch>(
            DisplayString(display), "PRIMARY", this,
            [this](X11SelectionPrefetch::Result read) {
                const Copy copy = std::exchange(copy_, Copy{});
                if (read.generation != copy.read || copy.read == 0 || read.owner != copy.owner ||
                    !read.text.text || copy.clipboard->changeCount() != copy.clipboardChange) {
                    return;
                }
                copy.clipboard->setPlainText(*read.text.text);
            },
            std::move(options));
    }
    holdTimer_.setSingleShot(true);
    connect(&holdTimer_, &QTimer::timeout, this, &X11PrimarySelection::giveBack);
}

X11PrimarySelection::~X11PrimarySelection() = default;

void X11PrimarySelection::copyOwnedByWindowOf(unsigned long window, Pasteboard& clipboard) {
    Display* display = connection_->display();
    if (!display || window == None || !reader_) {
        return;
    }
    Window owner = None;
    Window ownerTop = None;
    Window windowTop = None;
    // Either window may be gone by now.
    const bool failed = connection_->failsWithError([&] {
        owner = XGetSelectionOwner(display, XA_PRIMARY);
        if (owner != None) {
            ownerTop = topLevelOf(display, owner);
            windowTop = topLevelOf(display, window);
        }
    });
    if (failed || ownerTop == None || ownerTop != windowTop) {
        return;
    }
    copy_ = Copy{++reads_, quint32(owner), &clipboard, clipboard.changeCount()};
    reader_->request(copy_.read, false);
}

quint32 X11PrimarySelection::owner() const {
    Display* display = connection_->display();
    return display ? quint32(XGetSelectionOwner(display, XA_PRIMARY)) : 0;
}

bool X11PrimarySelection::lendPending() {
    if (isLent() || !reader_ || clipboard()->ownsSelection()) {
        return false;
    }
    if (beforeLend_) {
        // Read for this owner: kept; a selection made since is read anew.
        if (beforeLendOwner_ == owner()) {
            return false;
        }
        beforeLend_.reset();
    }
    if (saveRead_ == 0) {
        saveRead_ = ++reads_;
        copy_ = {};
        reader_->request(saveRead_, true);
        return true;
    }
    const auto content = reader_->wait(saveRead_, true, 0);
    if (!content) {
        return true;
    }
    reader_->forget(saveRead_, true);
    saveRead_ = 0;
    beforeLendOwner_ = content->owner;
    beforeLend_ = std::make_unique<QMimeData>();
    for (const auto& [format, bytes] : content->values) {
        beforeLend_->setData(format, bytes);
    }
    return false;
}

void X11PrimarySelection::lend(const QString& text, int holdMs) {
    if (!isLent()) {
        // Only the content from before the first lend is given back.
        saved_.reset();
        auto copy = std::make_unique<QMimeData>();
        saveRead_ = 0;
        std::unique_ptr<QMimeData> read = std::move(beforeLend_);
        if (read && beforeLendOwner_ == owner()) {
            copy = std::move(read);
        } else if (clipboard()->ownsSelection()) {
            if (const QMimeData* current = clipboard()->mimeData(QClipboard::Selection)) {
                for (const QString& format : current->formats()) {
                    if (const QByteArray bytes = current->data(format); !bytes.isEmpty()) {
                        copy->setData(format, bytes);
                    }
                }
            }
        } else if (reader_) {
            const qint64 read = ++reads_;
            copy_ = {};
            reader_->request(read, true);
            if (const auto content = reader_->wait(read, true, kFrameMs)) {
                for (const auto& [format, bytes] : content->values) {
                    copy->setData(format, bytes);
                }
            }
        }
        if (!copy->formats().isEmpty()) {
            saved_ = std::move(copy);
        }
    }
    auto* data = new LentMimeData([self = QPointer<X11PrimarySelection>(this)] {
        // After the answer has gone out, not inside it.
        if (self) {
            QTimer::singleShot(0, self.data(), &X11PrimarySelection::giveBack);
        }
    });
    data->setText(text);
    qtServerTime::setSelection(QClipboard::Selection, data);
    lent_ = data;
    holdTimer_.start(holdMs);
}

void X11PrimarySelection::giveBack() {
    holdTimer_.stop();
    if (!isLent()) {
        return;
    }
    // A selection the user made meanwhile stays.
    const bool stillOurs = clipboard()->ownsSelection() &&
                           clipboard()->mimeData(QClipboard::Selection) == lent_.data();
    lent_.clear();
    std::unique_ptr<QMimeData> saved = std::move(saved_);
    if (!stillOurs) {
        return;
    }
    qtServerTime::setSelection(QClipboard::Selection, saved.release());
}
