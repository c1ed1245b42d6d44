#include "platform/x11/X11ClipboardKeeperProcess.h"

#include <sys/stat.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <cerrno>
#include <optional>

#include "platform/x11/QtServerTime.h"
#include "platform/x11/X11KeeperMessage.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11SelectionOwner.h"

namespace {

// How long nivelo's owner window may outlive nivelo's end of file: the server notices the
// closed connection soon, a loaded one later.
constexpr qint64 kOwnerGoneWaitMs = 10000;
constexpr unsigned kOwnerPollUs = 10000;

enum class ReadResult { Whole, EndOfFile, Failed };

ReadResult readExactly(int fd, char* into, qsizetype size) {
    qsizetype got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, into + got, size_t(size - got));
        if (n == 0) {
            return ReadResult::EndOfFile;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return ReadResult::Failed;
        }
        got += n;
    }
    return ReadResult::Whole;
}

struct Held {
    quint32 ownerWindow = 0;
    QList<PasteboardItem> items;
};

// Takes the clipboard with `held`, under a server grab so that no copy lands between the look
// and the take. Asked to take it now, it takes it from nivelo's window too; otherwise it waits
// while that window still owns it. False when another client owns it.
bool take(const Held& held, bool fromNivelo, X11Pasteboard& pasteboard) {
    xcb_connection_t* connection = X11SelectionOwner::qtConnection();
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < kOwnerGoneWaitMs) {
        bool free = false;
        quint32 owner = XCB_NONE;
        {
            const qtServerTime::ServerGrab grab;
            owner = X11SelectionOwner::ownerWindow(connection, "CLIPBOARD");
            free = owner == XCB_NONE || (fromNivelo && owner == held.ownerWindow);
            if (free) {
                pasteboard.writeItems(held.items);
            }
        }
        if (free) {
            return true;
        }
        if (owner != held.ownerWindow) {
            return false;
        }
        ::usleep(kOwnerPollUs);
    }
    return false;
}

int serve(int argc, char** argv, const Held& held, bool takeNow) {
    // No display to serve on: nothing to keep.
    xcb_connection_t* probe = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(probe) == 0;
    xcb_disconnect(probe);
    if (!reachable) {
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    // It shows nothing: no accessibility bridge.
    qunsetenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON");
    QGuiApplication app(argc, argv);
    X11Pasteboard pasteboard;
    if (!take(held, takeNow, pasteboard) || !pasteboard.ownsClipboard()) {
        return 0;
    }
    // Serving ends with the first owner that is not us, as the server tells: Qt keeps
    // believing it owns the clipboard after a clear by another client, or a take with a time
    // equal to ours, and a keeper that believed it would serve nobody and never end.
    QObject::connect(&pasteboard, &X11Pasteboard::ownerChanged, &app, [&pasteboard] {
        if (!pasteboard.ownsClipboard()) {
            QCoreApplication::quit();
        }
    });
    return QGuiApplication::exec();
}

}  // namespace

int X11ClipboardKeeperProcess::run(int argc, char** argv) {
    struct stat input {};
    if (::fstat(STDIN_FILENO, &input) != 0 || !S_ISSOCK(input.st_mode)) {
        // Only nivelo starts a keeper, with its socket as standard input.
        return 2;
    }
    std::optional<Held> held;
    for (;;) {
        char header[X11KeeperMessage::kHeaderSize];
        const ReadResult result = readExactly(STDIN_FILENO, header, sizeof header);
        if (result == ReadResult::Failed) {
            return 1;
        }
        if (result == ReadResult::EndOfFile) {
            break;
        }
        const auto frame = X11KeeperMessage::readHeader(header);
        if (!frame) {
            return 1;
        }
        QByteArray payload(qsizetype(frame->length), Qt::Uninitialized);
        if (readExactly(STDIN_FILENO, payload.data(), payload.size()) != ReadResult::Whole) {
            // nivelo ended in the middle of a frame: what it said before stands.
            break;
        }
        auto message = X11KeeperMessage::read(*frame, payload);
        if (!message) {
            return 1;
        }
        payload = QByteArray();
        switch (message->kind) {
            case X11KeeperMessage::Kind::Keep:
                held = Held{message->ownerWindow, {PasteboardItem{std::move(message->values)}}};
                break;
            case X11KeeperMessage::Kind::Drop:
                held.reset();
                break;
            case X11KeeperMessage::Kind::TakeNow:
                return held ? serve(argc, argv, *held, true) : 0;
        }
    }
    return held ? serve(argc, argv, *held, false) : 0;
}
