#include "updates/AppUpdateClient.h"

#include "backend/BackendResponse.h"
#include "base/Text.h"
#include "core/AppBuildConfiguration.h"
#include "platform/Clock.h"
#include "platform/HttpTransport.h"
#include "updates/AppUpdateClientError.h"
#include "updates/AppUpdateResponse.h"

namespace {

// An empty or blank error says nothing.
bool says(const std::optional<QString>& error) {
    return error && !text::trimmed(*error).isEmpty();
}

}  // namespace

AppUpdateClient::Build AppUpdateClient::runningBuild() {
    return {AppBuildConfiguration::currentVersion(), AppBuildConfiguration::currentBuild()};
}

AppUpdateClient::AppUpdateClient(QString baseURL, HttpTransport& http, Clock& clock, Build build)
    : baseURL_(std::move(baseURL)), http_(http), clock_(clock), build_(std::move(build)) {}

std::optional<QUrl> AppUpdateClient::requestURL(UiLanguage language) const {
    QUrl url(baseURL_ + QStringLiteral("/macos/app/version"), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        return std::nullopt;
    }
    const QList<QPair<QString, QString>> items = {
        {QStringLiteral("channel"), QStringLiteral("release")},
        {QStringLiteral("platform"), QStringLiteral("macos")},
        {QStringLiteral("current_version"), build_.version},
        {QStringLiteral("current_build"), QString::number(build_.number)},
        {QStringLiteral("bundle_id"), QStringLiteral("ai.nivelo.native")},
        {QStringLiteral("locale"), rawValue(language)},
    };
    QStringList pairs;
    for (const auto& [name, value] : items) {
        pairs << name + u'=' + QString::fromLatin1(QUrl::toPercentEncoding(value));
    }
    url.setQuery(pairs.join(u'&'), QUrl::StrictMode);
    if (!url.isValid()) {
        return std::nullopt;
    }
    return url;
}

QCoro::Task<AppUpdateSnapshot> AppUpdateClient::check(UiLanguage language) {
    const std::optional<QUrl> url = requestURL(language);
    if (!url) {
        throw AppUpdateClientError::invalidURL();
    }
    HttpRequest request;
    request.url = *url;
    request.timeoutMs = kIdleTimeoutMs;
    request.totalTimeoutMs = kTotalTimeoutMs;
    request.maxBodyBytes = kMaxAnswerBytes;

    const HttpResponse response = co_await http_.get(std::move(request));
    const std::optional<AppUpdateResponse> decoded = AppUpdateResponse::decode(response.body);
    if (response.status >= 200 && response.status <= 299) {
        if (!decoded) {
            throw BackendResponseDecodingError();
        }
        if (decoded->ok == false) {
            throw AppUpdateClientError::server(
                says(decoded->error) ? *decoded->error : QStringLiteral("Update check failed."));
        }
        co_return decoded->snapshot(language, clock_.currentDateTime(), build_.number);
    }
    if (decoded && says(decoded->error)) {
        throw AppUpdateClientError::server(*decoded->error);
    }
    throw AppUpdateClientError::server(
        QStringLiteral("Update server returned HTTP %1.").arg(response.status));
}
