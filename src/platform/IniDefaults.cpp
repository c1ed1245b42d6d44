#include "platform/IniDefaults.h"

#include "platform/AppPaths.h"

IniDefaults::IniDefaults(const QString& filePath) : settings_(filePath, QSettings::IniFormat) {}

QString IniDefaults::standardPath() {
    return AppPaths::configDir() + QStringLiteral("/defaults.ini");
}

QVariant IniDefaults::object(const QString& key) const {
    return settings_.value(key);
}

void IniDefaults::set(const QString& key, const QVariant& value) {
    if (!value.isValid()) {
        settings_.remove(key);
        return;
    }
    settings_.setValue(key, value);
}

void IniDefaults::remove(const QString& key) {
    settings_.remove(key);
}

void IniDefaults::sync() {
    settings_.sync();
}
