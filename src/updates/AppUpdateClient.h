#pragma once

#include <QString>
#include <QUrl>
#include <optional>

#include "updates/AppUpdateChecker.h"

class Clock;
class HttpTransport;

// The update endpoint's client: one GET of "/macos/app/version" on the backend origin per
// check, its answer read into a snapshot. Failures are thrown: AppUpdateClientError,
// BackendResponseDecodingError, or the transport's HttpTransportError. A client must outlive
// the checks it starts.
class AppUpdateClient : public AppUpdateChecker {
public:
    // The build that asks.
    struct Build {
        QString version;
        qint64 number = 0;
    };
    static Build runningBuild();

    // Longest wait for the server to move data, and for a whole check.
    static constexpr qint64 kIdleTimeoutMs = 20'000;
    static constexpr qint64 kTotalTimeoutMs = 30'000;
    // Largest answer read: a real one is a few hundred bytes, so a body past this is a broken
    // or hostile server, and fails as an answer that could not be read.
    static constexpr qint64 kMaxAnswerBytes = 4 * 1024 * 1024;

    // baseURL: the backend origin, scheme and host without a trailing slash.
    AppUpdateClient(QString baseURL, HttpTransport& http, Clock& clock,
                    Build build = runningBuild());

    const QString& baseURL() const { return baseURL_; }

    QCoro::Task<AppUpdateSnapshot> check(UiLanguage language) override;

    // The address one check asks; none when the origin gives no http or https address.
    std::optional<QUrl> requestURL(UiLanguage language) const;

private:
    QString baseURL_;
    HttpTransport& http_;
    Clock& clock_;
    Build build_;
};
