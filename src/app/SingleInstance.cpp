#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>

#include "platform/AppPaths.h"
#include "platform/Clock.h"

namespace {

const QByteArray kShowRequest = "show\n";
const QByteArray kShowAnswer = "ok\n";

}  // namespace

SingleInstance::Paths SingleInstance::pathsFor(const QString& dataDir, const QString& runtimeDir) {
    const QDir folder(dataDir);
    QString socket = folder.filePath(QStringLiteral("nivelo.socket"));
    if (QFile::encodeName(socket).size() > kMaxSocketPath) {
        const QByteArray tag = QCryptographicHash::hash(QFile::encodeName(folder.absolutePath()),
                                                        QCryptographicHash::Sha256)
                                   .toHex()
                                   .left(16);
        socket =
            QDir(runtimeDir)
                .filePath(
                    QStringLiteral("ai.nivelo.native-%1.socket").arg(QString::fromLatin1(tag)));
    }
    return {folder.filePath(QStringLiteral("nivelo.lock")), socket};
}

SingleInstance::Paths SingleInstance::standardPaths() {
    return pathsFor(AppPaths::dataDir(), AppPaths::runtimeDir());
}

SingleInstance::SingleInstance(Paths paths, QObject* parent)
    : QObject(parent), paths_(std::move(paths)) {}

SingleInstance::~SingleInstance() {
    if (server_) {
        server_->close();
    }
}

bool SingleInstance::acquire() {
    if (lock_ && lock_->isLocked()) {
        return true;
    }
    lock_ = std::make_unique<QLockFile>(paths_.lock);
    // Never stale by age: a long-running instance keeps its lock; a dead one loses it.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        return false;
    }
    // Like every file of the data folder, the owner's only.
    QFile::setPermissions(paths_.lock, QFile::ReadOwner | QFile::WriteOwner);
    return true;
}

bool SingleInstance::isHeldElsewhere() const {
    return lock_ && !lock_->isLocked() && lock_->error() == QLockFile::LockFailedError;
}

bool SingleInstance::listen() {
    if (!lock_ || !lock_->isLocked()) {
        return false;
    }
    if (server_) {
        return server_->isListening();
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket file left here belongs to a dead instance.
    QLocalServer::removeServer(paths_.socket);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            serve(socket);
        }
    });
    return server_->listen(paths_.socket);
}

void SingleInstance::serve(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() > 64) {
                socket->abort();
            }
            return;
        }
        const QByteArray line = socket->readLine(64);
        if (line == kShowRequest) {
            socket->write(kShowAnswer);
            socket->flush();
            Q_EMIT showRequested();
        }
        socket->disconnectFromServer();
    });
}

InstanceHandOver::InstanceHandOver(QString socketPath, Clock& clock, QObject* parent)
    : QObject(parent), socketPath_(std::move(socketPath)), clock_(clock) {}

void InstanceHandOver::start() {
    deadline_ = clock_.nowMs() + kTimeoutMs;
    // An instance that accepts the connection but never answers must not keep us waiting.
    QPointer<InstanceHandOver> self(this);
    clock_.callAfter(kTimeoutMs, [self] {
        if (self && !self->done_) {
            self->done_ = true;
            Q_EMIT self->finished(false);
        }
    });
    attempt();
}

void InstanceHandOver::attempt() {
    if (socket_) {
        socket_->deleteLater();
    }
    socket_ = new QLocalSocket(this);
    QLocalSocket* socket = socket_;
    connect(socket, &QLocalSocket::connected, this, [socket] { socket->write(kShowRequest); });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (socket->canReadLine() && socket->readLine(64) == kShowAnswer && !done_) {
            done_ = true;
            Q_EMIT finished(true);
        }
    });
    connect(socket, &QLocalSocket::errorOccurred, this, [this, socket] {
        if (socket == socket_ && !done_) {
            retryOrGiveUp();
        }
    });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
        if (socket == socket_ && !done_) {
            retryOrGiveUp();
        }
    });
    socket->connectToServer(socketPath_);
}

// The running instance takes its lock before it listens, so for a moment there may be no one
// to answer yet.
void InstanceHandOver::retryOrGiveUp() {
    if (clock_.nowMs() + kRetryMs > deadline_) {
        done_ = true;
        Q_EMIT finished(false);
        return;
    }
    QLocalSocket* failed = socket_;
    socket_ = nullptr;
    if (failed) {
        failed->deleteLater();
    }
    QPointer<InstanceHandOver> self(this);
    clock_.callAfter(kRetryMs, [self] {
        if (self && !self->done_) {
            self->attempt();
        }
    });
}
