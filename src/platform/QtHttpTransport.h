#pragma once

#include "platform/HttpTransport.h"

class Clock;
class QNetworkAccessManager;

// HTTP over the process's one QNetworkAccessManager. Besides each request's own time-outs, the
// session gives up when the server moves no data for idleMs, or when an exchange takes longer
// than totalMs altogether; it ends an answer whose body grows past maxBodyBytes (or the
// request's own smaller cap) before holding more of it. Redirects are followed and TLS errors are
// never ignored (Qt's own defaults).
class QtHttpTransport : public HttpTransport {
public:
    struct Limits {
        qint64 idleMs = 90'000;
        qint64 totalMs = 180'000;
        qint64 maxBodyBytes = 16 * 1024 * 1024;
    };

    explicit QtHttpTransport(Clock& clock);
    QtHttpTransport(Clock& clock, Limits limits);

    QCoro::Task<HttpResponse> post(HttpRequest request) override;
    QCoro::Task<HttpResponse> get(HttpRequest request) override;

    // Created on first use, owned by the application object.
    static QNetworkAccessManager& sharedManager();

private:
    enum class Method { get, post };
    QCoro::Task<HttpResponse> exchange(Method method, HttpRequest request);

    Clock& clock_;
    Limits limits_;
};
