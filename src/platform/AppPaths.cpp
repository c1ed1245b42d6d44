#include "platform/AppPaths.h"

#include <QDir>
#include <QStandardPaths>

namespace {

QString ensured(QString base) {
    if (base.isEmpty()) {
        base = QDir::tempPath();
    }
    const QString path = base + QLatin1Char('/') + QLatin1String(AppPaths::kBundleIdentifier);
    QDir().mkpath(path);
    return path;
}

}  // namespace

QString AppPaths::configDir() {
    return ensured(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}

QString AppPaths::dataDir() {
    return ensured(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

QString AppPaths::runtimeDir() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return dir.isEmpty() ? QDir::tempPath() : dir;
}
