#include "support/LoopbackHttpServer.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "base/Json.h"

QByteArray RecordedRequest::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            return value;
        }
    }
    return {};
}

CannedReply CannedReply::json(int status, QByteArray body) {
    CannedReply reply;
    reply.status = status;
    reply.body = std::move(body);
    return reply;
}

CannedReply CannedReply::jsonOfSize(QByteArray body, qint64 size, bool streamed) {
    CannedReply reply = json(200, body);
    if (streamed) {
        reply.streamBytes = size - reply.body.size();
    } else {
        reply.body += QByteArray(size - reply.body.size(), ' ');
    }
    return reply;
}

CannedReply CannedReply::result(const QString& text) {
    Json object = Json::object();
    object["result"] = json::str(text);
    return json(200, json::write(object));
}

CannedReply CannedReply::text(int status, QByteArray body, QByteArray contentType) {
    CannedReply reply = json(status, std::move(body));
    reply.contentType = std::move(contentType);
    return reply;
}

CannedReply CannedReply::never() {
    CannedReply reply;
    reply.kind = Kind::never;
    return reply;
}

CannedReply CannedReply::drop() {
    CannedReply reply;
    reply.kind = Kind::drop;
    return reply;
}

LoopbackHttpServer::LoopbackHttpServer(QObject* parent)
    : QObject(parent), server_(new QTcpServer(this)) {
    server_->listen(QHostAddress::LocalHost, 0);
    connect(server_, &QTcpServer::newConnection, this, &LoopbackHttpServer::accept);
}

LoopbackHttpServer::~LoopbackHttpServer() = default;

QUrl LoopbackHttpServer::url(const QString& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path));
}

quint16 LoopbackHttpServer::port() const {
    return server_->serverPort();
}

void LoopbackHttpServer::enqueue(CannedReply reply) {
    queue_.push_back(std::move(reply));
}

void LoopbackHttpServer::setHandler(Handler handler) {
    handler_ = std::move(handler);
}

void LoopbackHttpServer::accept() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void LoopbackHttpServer::readFrom(QTcpSocket* socket) {
    // The unparsed bytes of this connection live on the socket itself.
    QByteArray buffer = socket->property("pending").toByteArray() + socket->readAll();
    socket->setProperty("pending", buffer);
    if (socket->property("answered").toBool()) {
        return;
    }
    const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0) {
        return;
    }
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    RecordedRequest request;
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    qsizetype contentLength = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].endsWith('\r') ? lines[i].chopped(1) : lines[i];
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0) {
            continue;
        }
        const QByteArray name = line.left(colon);
        const QByteArray value = line.mid(colon + 1).trimmed();
        request.headers.append({name, value});
        if (name.compare("Content-Length", Qt::CaseInsensitive) == 0) {
            contentLength = value.toLongLong();
        }
    }
    if (buffer.size() < headerEnd + 4 + contentLength) {
        return;
    }
    request.body = buffer.mid(headerEnd + 4, contentLength);
    socket->setProperty("answered", true);
    requests_.append(request);

    CannedReply reply;
    if (!queue_.empty()) {
        reply = queue_.front();
        queue_.pop_front();
    } else if (handler_) {
        reply = handler_(request);
    } else {
        reply = CannedReply::json(404, {});
    }
    if (reply.kind == CannedReply::Kind::answer && reply.delayMs > 0) {
        QPointer<QTcpSocket> guard(socket);
        QTimer::singleShot(reply.delayMs, this, [this, guard, reply] {
            if (guard) {
                answer(guard, reply);
            }
        });
        return;
    }
    answer(socket, reply);
}

void LoopbackHttpServer::answer(QTcpSocket* socket, const CannedReply& reply) {
    switch (reply.kind) {
        case CannedReply::Kind::never:
            return;
        case CannedReply::Kind::drop:
            socket->disconnectFromHost();
            return;
        case CannedReply::Kind::answer:
            break;
    }
    if (reply.streamBytes > 0) {
        stream(socket, reply);
        return;
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + " Status\r\n";
    head += "Content-Type: " + reply.contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    if (reply.trickleMs <= 0) {
        socket->write(head + reply.body);
        socket->disconnectFromHost();
        return;
    }
    socket->write(head);
    auto* timer = new QTimer(socket);
    auto sent = std::make_shared<qsizetype>(0);
    connect(timer, &QTimer::timeout, socket, [socket, timer, sent, body = reply.body] {
        if (*sent >= body.size()) {
            timer->stop();
            socket->disconnectFromHost();
            return;
        }
        socket->write(body.mid((*sent)++, 1));
    });
    timer->start(reply.trickleMs);
}

void LoopbackHttpServer::stream(QTcpSocket* socket, const CannedReply& reply) {
    static constexpr qint64 kChunk = 256 * 1024;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + " Status\r\n";
    head += "Content-Type: " + reply.contentType + "\r\n";
    head += "Connection: close\r\n\r\n";
    streamedBytes_ = 0;
    socket->write(head + reply.body);
    auto left = std::make_shared<qint64>(reply.streamBytes);
    const QByteArray spaces(kChunk, ' ');
    // Keeps about one chunk queued, so the client alone sets the pace.
    auto more = [socket, left, spaces] {
        while (*left > 0 && socket->bytesToWrite() < kChunk &&
               socket->state() == QAbstractSocket::ConnectedState) {
            const qint64 n = std::min(*left, kChunk);
            socket->write(spaces.constData(), n);
            *left -= n;
        }
        if (*left == 0 && socket->bytesToWrite() == 0) {
            socket->disconnectFromHost();
        }
    };
    connect(socket, &QTcpSocket::bytesWritten, socket, [this, more](qint64 written) {
        streamedBytes_ += written;
        more();
    });
    more();
}
