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

// Qt reports answers with 4xx/5xx statuses as content (2xx codes) and server (4xx codes)
// errors; those still carry a complete answer. Everything else means there is none.
bool isAnswerWithErrorStatus(QNetworkReply::NetworkError error) {
    const int code = static_cast<int>(error);
    return (code >= 201 && code <= 299) || (code >= 401 && code <= 499);
}

struct Deadlines {
    quint64 idleCall = 0;
    quint64 totalCall = 0;
    bool timedOut = false;
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
    QNetworkRequest networkRequest(request.url);
    for (const auto& [name, value] : request.headers) {
        networkRequest.setRawHeader(name, value);
    }
    QPointer<QNetworkReply> reply = sharedManager().post(networkRequest, request.body);
    std::unique_ptr<QNetworkReply, void (*)(QNetworkReply*)> owner(
        reply.data(), [](QNetworkReply* r) { r->deleteLater(); });

    const qint64 idleMs =
        request.timeoutMs > 0 ? std::min(request.timeoutMs, limits_.idleMs) : limits_.idleMs;
    Clock* clock = &clock_;
    auto deadlines = std::make_shared<Deadlines>();
    auto giveUp = [reply, deadlines] {
        deadlines->timedOut = true;
        if (reply) {
            reply->abort();
        }
    };
    deadlines->idleCall = clock->callAfter(idleMs, giveUp);
    deadlines->totalCall = clock->callAfter(limits_.totalMs, giveUp);
    // Any data moving either way restarts the idle wait.
    auto moved = [clock, deadlines, idleMs, giveUp] {
        clock->cancelCall(deadlines->idleCall);
        deadlines->idleCall = clock->callAfter(idleMs, giveUp);
    };
    QObject::connect(reply, &QNetworkReply::uploadProgress, reply, moved);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, moved);
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, moved);

    co_await reply.data();

    clock->cancelCall(deadlines->idleCall);
    clock->cancelCall(deadlines->totalCall);

    const QNetworkReply::NetworkError error = reply->error();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (error == QNetworkReply::NoError || (status.isValid() && isAnswerWithErrorStatus(error))) {
        HttpResponse response;
        response.status = status.isValid() ? status.toInt() : 0;
        response.body = reply->readAll();
        co_return response;
    }
    if (deadlines->timedOut && error == QNetworkReply::OperationCanceledError) {
        throw HttpTransportError::timedOut();
    }
    throw HttpTransportError::failed(reply->errorString());
}
