#include "platform/QtHttpTransport.h"

#include <QCoreApplication>
#include <QCoro/QCoroNetworkReply>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <algorithm>
#include <memory>

#include "platform/Clock.h"

namespace {

struct Deadlines {
    quint64 idleCall = 0;
    quint64 totalCall = 0;
    bool timedOut = false;
    bool tooLarge = false;
};

}  // namespace

QtHttpTransport::QtHttpTransport(Clock& clock) : QtHttpTransport(clock, Limits{}) {}

QtHttpTransport::QtHttpTransport(Clock& clock, Limits limits) : clock_(clock), limits_(limits) {}

QNetworkAccessManager& QtHttpTransport::sharedManager() {
    static QPointer<QNetworkAccessManager> manager;
    if (!manager) {
        manager = new QNetworkAccessManager(QCoreApplication::instance());
    }
    return *manager;
}

QCoro::Task<HttpResponse> QtHttpTransport::post(HttpRequest request) {
    return exchange(Method::post, std::move(request));
}

QCoro::Task<HttpResponse> QtHttpTransport::get(HttpRequest request) {
    return exchange(Method::get, std::move(request));
}

QCoro::Task<HttpResponse> QtHttpTransport::exchange(Method method, HttpRequest request) {
    QNetworkRequest networkRequest(request.url);
    for (const auto& [name, value] : request.headers) {
        networkRequest.setRawHeader(name, value);
    }
    QPointer<QNetworkReply> reply = method == Method::post
                                        ? sharedManager().post(networkRequest, request.body)
                                        : sharedManager().get(networkRequest);
    std::unique_ptr<QNetworkReply, void (*)(QNetworkReply*)> owner(
        reply.data(), [](QNetworkReply* r) { r->deleteLater(); });

    const qint64 idleMs =
        request.timeoutMs > 0 ? std::min(request.timeoutMs, limits_.idleMs) : limits_.idleMs;
    const qint64 totalMs = request.totalTimeoutMs > 0
                               ? std::min(request.totalTimeoutMs, limits_.totalMs)
                               : limits_.totalMs;
    Clock* clock = &clock_;
    auto deadlines = std::make_shared<Deadlines>();
    auto giveUp = [reply, deadlines] {
        deadlines->timedOut = true;
        if (reply) {
            reply->abort();
        }
    };
    deadlines->idleCall = clock->callAfter(idleMs, giveUp);
    deadlines->totalCall = clock->callAfter(totalMs, giveUp);
    // Any data moving either way restarts the idle wait.
    auto moved = [clock, deadlines, idleMs, giveUp] {
        clock->cancelCall(deadlines->idleCall);
        deadlines->idleCall = clock->callAfter(idleMs, giveUp);
    };
    QObject::connect(reply, &QNetworkReply::uploadProgress, reply, moved);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, moved);
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, moved);

    // The body is taken as it arrives, so a server that never stops costs no more than the cap.
    const qint64 maxBody = request.maxBodyBytes > 0
                               ? std::min(request.maxBodyBytes, limits_.maxBodyBytes)
                               : limits_.maxBodyBytes;
    auto body = std::make_shared<QByteArray>();
    auto refuse = [reply, deadlines] {
        deadlines->tooLarge = true;
        if (reply) {
            reply->abort();
        }
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, maxBody, refuse] {
        bool known = false;
        const qint64 length =
            reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
        if (known && length > maxBody) {
            refuse();
        }
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, body, maxBody, refuse] {
        body->append(reply->read(maxBody + 1 - body->size()));
        if (body->size() > maxBody) {
            refuse();
        }
    });

    co_await reply.data();

    clock->cancelCall(deadlines->idleCall);
    clock->cancelCall(deadlines->totalCall);

    const QNetworkReply::NetworkError error = reply->error();
    if (!deadlines->tooLarge) {
        body->append(reply->read(maxBody + 1 - body->size()));
        deadlines->tooLarge = body->size() > maxBody;
    }
    if (deadlines->tooLarge) {
        throw HttpTransportError::tooLarge();
    }
    if (deadlines->timedOut && error == QNetworkReply::OperationCanceledError) {
        throw HttpTransportError::timedOut();
    }
    // Qt turns many statuses into errors of its own (400 and 418 into protocol errors, 407
    // into a proxy error): once a status line has arrived, the server has answered.
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() || error == QNetworkReply::NoError) {
        HttpResponse response;
        response.status = status.isValid() ? status.toInt() : 0;
        response.body = std::move(*body);
        co_return response;
    }
    throw HttpTransportError::failed(reply->errorString());
}
