#pragma once

#include <QDateTime>
#include <QString>
#include <QUrl>
#include <optional>

// What one successful update check learned. A default-constructed snapshot is the empty one:
// never checked, nothing available.
struct AppUpdateSnapshot {
    // When the answer arrived.
    std::optional<QDateTime> checkedAt;
    bool updateAvailable = false;
    // The running build is no longer supported.
    bool forceUpdate = false;
    std::optional<QString> latestVersion;
    std::optional<qint64> latestBuild;
    // Only ever an absolute http or https address.
    std::optional<QUrl> downloadURL;
    // Carried as the server sent them; nothing checks or shows them yet.
    std::optional<QString> sha256;
    std::optional<QString> publishedAt;
    // In the interface language the check asked for.
    std::optional<QString> title;
    std::optional<QString> message;
    std::optional<QString> releaseNotes;

    friend bool operator==(const AppUpdateSnapshot&, const AppUpdateSnapshot&) = default;
};
