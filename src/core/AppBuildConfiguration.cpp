#include "core/AppBuildConfiguration.h"

#include "base/Text.h"

QString AppBuildConfiguration::versionFrom(const std::optional<QString>& stamped) {
    return stamped.value_or(QStringLiteral("0.0.0"));
}

qint64 AppBuildConfiguration::buildFrom(const std::optional<QString>& stamped) {
    return text::parseStrictInt(stamped.value_or(QStringLiteral("0"))).value_or(0);
}

QString AppBuildConfiguration::currentVersion() {
    return versionFrom(QStringLiteral(NIVELO_VERSION));
}

qint64 AppBuildConfiguration::currentBuild() {
    return buildFrom(QStringLiteral(NIVELO_BUILD_NUMBER));
}
