#include "updates/AppUpdateResponse.h"

#include <QUrl>
#include <cmath>
#include <limits>

#include "base/Json.h"

namespace {

// Reads one optional key: absent and null give none; a value that read() refuses fails the
// whole answer.
template <typename T, typename Read>
bool readField(const Json& object, const char* key, std::optional<T>& out, Read read) {
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) {
        out.reset();
        return true;
    }
    out = read(*it);
    return out.has_value();
}

std::optional<bool> flag(const Json& value) {
    if (!value.is_boolean()) {
        return std::nullopt;
    }
    return value.get<bool>();
}

std::optional<QString> text(const Json& value) {
    if (!value.is_string()) {
        return std::nullopt;
    }
    return json::qstr(value.get<std::string>());
}

std::optional<qint64> integer(const Json& value) {
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number > std::uint64_t(std::numeric_limits<qint64>::max())) {
            return std::nullopt;
        }
        return qint64(number);
    }
    if (value.is_number_integer()) {
        return value.get<std::int64_t>();
    }
    if (value.is_number_float()) {
        // 121.0 and 1.21e2 are whole numbers too; 2^63 is the first double out of range. -2^63
        // itself is left out: a whole number below the range arrives here as a double that
        // rounds to it, and the smallest integer is no build number a server means.
        constexpr double kTwoTo63 = 9223372036854775808.0;
        const double number = value.get<double>();
        if (std::isfinite(number) && std::trunc(number) == number && number > -kTwoTo63 &&
            number < kTwoTo63) {
            return qint64(number);
        }
    }
    return std::nullopt;
}

std::optional<LocalizedUpdateText> localized(const Json& value) {
    if (value.is_string()) {
        return LocalizedUpdateText{std::nullopt, std::nullopt, text(value)};
    }
    if (!value.is_object()) {
        return std::nullopt;
    }
    LocalizedUpdateText out;
    if (!readField(value, "en", out.en, text) || !readField(value, "ru", out.ru, text)) {
        return std::nullopt;
    }
    return out;
}

// Only a web address may reach the desktop's opener: a file: or custom-scheme link from the
// network would start whatever handles it.
std::optional<QUrl> webAddress(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        return std::nullopt;
    }
    return url;
}

std::optional<QString> localizedValue(const std::optional<LocalizedUpdateText>& value,
                                      UiLanguage language) {
    return value ? value->value(language) : std::nullopt;
}

}  // namespace

std::optional<AppUpdateResponse> AppUpdateResponse::decode(const QByteArray& body) {
    const std::optional<Json> parsed = json::parse(body);
    if (!parsed || !parsed->is_object()) {
        return std::nullopt;
    }
    const Json& o = *parsed;
    AppUpdateResponse r;
    const bool read = readField(o, "ok", r.ok, flag) &&
                      readField(o, "update_available", r.updateAvailable, flag) &&
                      readField(o, "force_update", r.forceUpdate, flag) &&
                      readField(o, "latest_version", r.latestVersion, text) &&
                      readField(o, "latest_build", r.latestBuild, integer) &&
                      readField(o, "min_supported_build", r.minSupportedBuild, integer) &&
                      readField(o, "download_url", r.downloadURL, text) &&
                      readField(o, "sha256", r.sha256, text) &&
                      readField(o, "published_at", r.publishedAt, text) &&
                      readField(o, "title", r.title, localized) &&
                      readField(o, "message", r.message, localized) &&
                      readField(o, "release_notes", r.releaseNotes, localized) &&
                      readField(o, "error", r.error, text);
    if (!read) {
        return std::nullopt;
    }
    return r;
}

AppUpdateSnapshot AppUpdateResponse::snapshot(UiLanguage language, const QDateTime& checkedAt,
                                              qint64 currentBuild) const {
    AppUpdateSnapshot s;
    s.checkedAt = checkedAt;
    s.updateAvailable = updateAvailable.value_or(latestBuild && *latestBuild > currentBuild);
    s.forceUpdate = forceUpdate.value_or(minSupportedBuild && currentBuild < *minSupportedBuild);
    s.latestVersion = latestVersion;
    s.latestBuild = latestBuild;
    s.downloadURL = downloadURL ? webAddress(*downloadURL) : std::nullopt;
    s.sha256 = sha256;
    s.publishedAt = publishedAt;
    s.title = localizedValue(title, language);
    s.message = localizedValue(message, language);
    s.releaseNotes = localizedValue(releaseNotes, language);
    return s;
}
