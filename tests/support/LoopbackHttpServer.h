#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QUrl>
#include <deque>
#include <functional>

class QTcpServer;
class QTcpSocket;

// One request as it arrived: headers in their order and spelling, the body byte for byte.
struct RecordedRequest {
    QByteArray method;
    QByteArray target;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;

    // The first header of that name (any case); "" when absent.
    QByteArray header(const QByteArray& name) const;
};

// How the server answers one request.
struct CannedReply {
    enum class Kind { answer, never, drop };
    Kind kind = Kind::answer;
    int status = 200;
    QByteArray body;
    QByteArray contentType = "application/json";
    // Real time before the answer starts; for transport tests only.
    int delayMs = 0;
    // When > 0, the body goes out one byte every trickleMs after the headers.
    int trickleMs = 0;
    // When > 0, the headers carry no Content-Length and the body is followed by this many
    // spaces, written as fast as the client takes them, until all are out (then the
    // connection closes) or the client goes away: a body that ends only with the connection.
    qint64 streamBytes = 0;

    static CannedReply json(int status, QByteArray body);
    // 200 with the JSON padded by spaces to exactly `size` bytes, announced by Content-Length
    // or streamed until the connection closes: for the tests of a body's cap.
    static CannedReply jsonOfSize(QByteArray body, qint64 size, bool streamed);
    // 200 with {"result": text}.
    static CannedReply result(const QString& text);
    static CannedReply text(int status, QByteArray body, QByteArray contentType = "text/html");
    // Reads the request and never answers.
    static CannedReply never();
    // Reads the request and closes the connection without an answer.
    static CannedReply drop();
};

// A real HTTP/1.1 server on 127.0.0.1 with an ephemeral port. Answers queued replies in order,
// then asks the handler; without either it answers 404 with an empty body. Every answer
// closes its connection.
class LoopbackHttpServer : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<CannedReply(const RecordedRequest&)>;

    explicit LoopbackHttpServer(QObject* parent = nullptr);
    ~LoopbackHttpServer() override;

    QUrl url(const QString& path = QStringLiteral("/macos/ai")) const;
    quint16 port() const;

    void enqueue(CannedReply reply);
    void setHandler(Handler handler);

    const QList<RecordedRequest>& requests() const { return requests_; }
    int requestCount() const { return static_cast<int>(requests_.size()); }
    // Bytes of the last streamed answer (headers and body) handed to the network so far.
    qint64 streamedBytes() const { return streamedBytes_; }

private:
    void accept();
    void readFrom(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const CannedReply& reply);
    void stream(QTcpSocket* socket, const CannedReply& reply);

    QTcpServer* server_;
    std::deque<CannedReply> queue_;
    Handler handler_;
    QList<RecordedRequest> requests_;
    qint64 streamedBytes_ = 0;
};
