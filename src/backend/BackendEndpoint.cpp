#include "backend/BackendEndpoint.h"

#include <QRegularExpression>
#include <QUuid>

#include "base/Text.h"
#include "platform/Defaults.h"

namespace {

const QString kDeviceIdKey = QStringLiteral("nivelo.deviceId");

}  // namespace

QString BackendEndpoint::origin() {
    QString value = text::trimmed(qEnvironmentVariable("NIVELO_BACKEND_ORIGIN"));
    if (value.isEmpty()) {
        value = QStringLiteral(NIVELO_DEFAULT_BACKEND_ORIGIN);
    }
    while (value.endsWith(u'/')) {
        value.chop(1);
    }
    return value;
}

QString BackendEndpoint::aiURL() {
    return origin() + QStringLiteral("/macos/ai");
}

QString BackendEndpoint::installationId(Defaults& defaults) {
    // Only the canonical form, exactly: the value goes into a request header as it is, so
    // anything around or after a UUID (an edited file) must not survive.
    static const QRegularExpression canonical(
        QStringLiteral("\\A[0-9A-Fa-f]{8}(-[0-9A-Fa-f]{4}){3}-[0-9A-Fa-f]{12}\\z"));
    const QString stored = defaults.stringValue(kDeviceIdKey).value_or(QString());
    if (canonical.match(stored).hasMatch() && !QUuid::fromString(stored).isNull()) {
        return stored;
    }
    const QString made = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    defaults.setString(kDeviceIdKey, made);
    defaults.sync();
    return made;
}
