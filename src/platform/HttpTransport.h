#pragma once

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QList>
#include <QPair>
#include <QUrl>

#include "base/NiveloError.h"

struct HttpRequest {
    QUrl url;
    // Sent in this order.
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    // Longest wait for the server to move data; 0 leaves only the transport's own limits.
    qint64 timeoutMs = 0;
    // Longest time for the whole exchange; 0 leaves the transport's own limit.
    qint64 totalTimeoutMs = 0;
    // Largest answer body taken; a longer one ends the request. 0 leaves the transport's own
    // limit.
    qint64 maxBodyBytes = 0;
};

struct HttpResponse {
    // The HTTP status; 0 when the answer was not HTTP.
    int status = 0;
    QByteArray body;
};

enum class HttpTransportErrorKind { timedOut, failed, tooLarge };

// A request that got no complete answer. A finished answer with any status is not an error.
class HttpTransportError : public NiveloEnumError<HttpTransportErrorKind> {
public:
    using NiveloEnumError::NiveloEnumError;
    static HttpTransportError timedOut();
    // description: the network layer's own text.
    static HttpTransportError failed(QString description);
    // The body grew past the request's limit: to the user, an answer that could not be read.
    static HttpTransportError tooLarge();
};

// Sends requests to HTTP servers. One instance serves the whole process. Both methods answer
// the server's status and body, whatever the status, and throw HttpTransportError when no
// answer arrives.
class HttpTransport {
public:
    virtual ~HttpTransport() = default;

    virtual QCoro::Task<HttpResponse> post(HttpRequest request) = 0;
    // The body of the request is not sent.
    virtual QCoro::Task<HttpResponse> get(HttpRequest request) = 0;
};
