#pragma once

#include <QString>
#include <optional>

// The running build's version text and build number, as the build system stamped them.
namespace AppBuildConfiguration {

QString currentVersion();
qint64 currentBuild();

// The readings behind the two values, for any stamped text (none when missing).
QString versionFrom(const std::optional<QString>& stamped);
qint64 buildFrom(const std::optional<QString>& stamped);

}  // namespace AppBuildConfiguration
