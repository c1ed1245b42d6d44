#include "platform/x11/X11ClipboardKeeper.h"

#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <utility>

#include "platform/x11/X11KeeperMessage.h"
#include "platform/x11/X11SelectionOwner.h"

extern char** environ;

namespace {

// What the server says: Qt can believe it still owns a clipboard another client took.
bool ownsClipboard() {
    return X11SelectionOwner::ownedBy(X11SelectionOwner::qtConnection(), "CLIPBOARD");
}

QByteArray frameOf(X11KeeperMessage::Kind kind, const QList<PasteboardValue>& values = {},
                   quint32 ownerWindow = 0) {
    X11KeeperMessage message;
    message.kind = kind;
    message.values = values;
    message.ownerWindow = ownerWindow;
    return message.frame();
}

// Our own data hands out the very bytes it holds: most values compare without reading them.
bool sameValues(const QList<PasteboardValue>& a, const QList<PasteboardValue>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const PasteboardValue& x, const PasteboardValue& y) {
                          return x.type == y.type &&
                                 (x.data.isSharedWith(y.data) || x.data == y.data);
                      });
}

qint64 monotonicMs() {
    static QElapsedTimer clock = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return clock.elapsed();
}

// Runs `program` with `child` as its standard input, in a session of its own (a closed
// terminal or its Control+C does not end it), in "/" (it keeps no mount busy) and with no
// other descriptor of ours (a lock file held open would outlive us).
pid_t spawnKeeper(const QByteArray& program, const QByteArray& name, int child) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, child, STDIN_FILENO);
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    posix_spawn_file_actions_addchdir_np(&actions, "/");
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int signal : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM, SIGCHLD}) {
        sigaddset(&defaults, signal);
    }
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    QByteArray nameArgument = name;
    QByteArray switchArgument(X11ClipboardKeeper::kSwitch);
    char* arguments[] = {nameArgument.data(), switchArgument.data(), nullptr};
    pid_t pid = 0;
    const int failed =
        posix_spawn(&pid, program.constData(), &actions, &attributes, arguments, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? pid : 0;
}

}  // namespace

X11ClipboardKeeper::X11ClipboardKeeper(QString program, QString name, QObject* parent)
    : QObject(parent), program_(std::move(program)), name_(std::move(name)) {}

X11ClipboardKeeper::~X11ClipboardKeeper() {
    delete writable_;
    delete closed_;
    if (socket_ >= 0) {
        ::close(socket_);
    }
    // The keeper lives on; it is no longer ours to wait for.
}

bool X11ClipboardKeeper::managerRuns() {
    return X11SelectionOwner::ownerWindow(X11SelectionOwner::qtConnection(), "CLIPBOARD_MANAGER") !=
           0;
}

bool X11ClipboardKeeper::ensureStarted() {
    if (socket_ >= 0) {
        return true;
    }
    int ends[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        return false;
    }
    pid_ = spawnKeeper(program_.toLocal8Bit(), name_.toLocal8Bit(), ends[1]);
    ::close(ends[1]);
    if (pid_ == 0) {
        ::close(ends[0]);
        return false;
    }
    socket_ = ends[0];
    writable_ = new QSocketNotifier(socket_, QSocketNotifier::Write, this);
    writable_->setEnabled(false);
    connect(writable_, &QSocketNotifier::activated, this, [this] { writeSome(); });
    // The keeper never writes: our end turns readable only when it has ended.
    closed_ = new QSocketNotifier(socket_, QSocketNotifier::Read, this);
    connect(closed_, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        const ssize_t got = ::recv(socket_, &byte, 1, MSG_DONTWAIT);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
            stopped();
        }
    });
    return true;
}

void X11ClipboardKeeper::stopped() {
    for (QSocketNotifier* notifier : {writable_, closed_}) {
        notifier->setEnabled(false);
        notifier->deleteLater();
    }
    writable_ = closed_ = nullptr;
    ::close(std::exchange(socket_, -1));
    // Its end is closed: it has ended or is ending now.
    ::waitpid(std::exchange(pid_, 0), nullptr, 0);
    writing_.clear();
    nextState_.clear();
    written_ = 0;
    holds_ = false;
    kept_.clear();
}

void X11ClipboardKeeper::keep(const QList<PasteboardValue>& values, quint32 ownerWindow) {
    if (holds_ && socket_ >= 0 && ownerWindow == keptOwner_ && sameValues(values, kept_)) {
        return;
    }
    if (!ensureStarted()) {
        return;
    }
    queueState(frameOf(X11KeeperMessage::Kind::Keep, values, ownerWindow));
    holds_ = true;
    kept_ = values;
    keptOwner_ = ownerWindow;
}

void X11ClipboardKeeper::drop() {
    if (socket_ < 0 || !holds_) {
        return;
    }
    queueState(frameOf(X11KeeperMessage::Kind::Drop));
    holds_ = false;
    kept_.clear();
}

void X11ClipboardKeeper::queueState(QByteArray frame) {
    if (writing_.isEmpty()) {
        writing_ = std::move(frame);
        written_ = 0;
    } else {
        // Only the latest state matters; one begun is finished first so frames stay whole.
        nextState_ = std::move(frame);
    }
    writeSome();
}

bool X11ClipboardKeeper::writeSome() {
    while (socket_ >= 0 && !writing_.isEmpty()) {
        const ssize_t sent =
            ::send(socket_, writing_.constData() + written_, size_t(writing_.size() - written_),
                   MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        }
        if (sent < 0) {
            stopped();
            return false;
        }
        written_ += sent;
        if (written_ == writing_.size()) {
            writing_ = std::exchange(nextState_, QByteArray());
            written_ = 0;
        }
    }
    if (writable_) {
        writable_->setEnabled(!writing_.isEmpty());
    }
    return socket_ >= 0;
}

bool X11ClipboardKeeper::writeAll(qint64 deadlineMs) {
    while (writeSome() && !writing_.isEmpty()) {
        const qint64 left = deadlineMs - monotonicMs();
        if (left <= 0) {
            return false;
        }
        pollfd ready{socket_, POLLOUT, 0};
        ::poll(&ready, 1, int(left));
    }
    return socket_ >= 0;
}

bool X11ClipboardKeeper::takeOverNow(const QList<PasteboardValue>& values, quint32 ownerWindow,
                                     int waitMs) {
    const qint64 deadline = monotonicMs() + waitMs;
    if (!ensureStarted()) {
        return false;
    }
    queueState(frameOf(X11KeeperMessage::Kind::Keep, values, ownerWindow));
    if (!writeAll(deadline)) {
        return false;
    }
    queueState(frameOf(X11KeeperMessage::Kind::TakeNow));
    if (!writeAll(deadline)) {
        return false;
    }
    // Our content stays ours until the keeper has it: the clipboard is never empty between.
    while (ownsClipboard() && monotonicMs() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    }
    return !ownsClipboard();
}
