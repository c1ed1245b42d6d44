#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

#include "core/UiLanguage.h"
#include "updates/AppUpdateSnapshot.h"
#include "updates/LocalizedUpdateText.h"

// The JSON answer of the update endpoint. Every key may be missing or null; other keys are
// ignored.
struct AppUpdateResponse {
    std::optional<bool> ok;
    std::optional<bool> updateAvailable;
    std::optional<bool> forceUpdate;
    std::optional<QString> latestVersion;
    std::optional<qint64> latestBuild;
    std::optional<qint64> minSupportedBuild;
    std::optional<QString> downloadURL;
    std::optional<QString> sha256;
    std::optional<QString> publishedAt;
    std::optional<LocalizedUpdateText> title;
    std::optional<LocalizedUpdateText> message;
    std::optional<LocalizedUpdateText> releaseNotes;
    std::optional<QString> error;

    // None when the body is not a JSON object or a known key holds another type: flags only
    // from true and false, texts only from strings, build numbers only from integral numbers
    // in the 64-bit range.
    static std::optional<AppUpdateResponse> decode(const QByteArray& body);

    // What the answer tells a running build numbered currentBuild. An explicit flag wins over
    // what the build numbers say.
    AppUpdateSnapshot snapshot(UiLanguage language, const QDateTime& checkedAt,
                               qint64 currentBuild) const;
};
