#include "backend/BackendEndpoint.h"

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
    const QString stored = text::trimmed(defaults.stringValue(kDeviceIdKey).value_or(QString()));
    // Anything but a UUID (an edited file) is replaced, so the header stays well formed.
    if (!QUuid::fromString(stored).isNull()) {
        return stored;
    }
    const QString made = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    defaults.setString(kDeviceIdKey, made);
    defaults.sync();
    return made;
}
