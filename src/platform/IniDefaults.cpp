#include "platform/IniDefaults.h"

#include <QSettings>
#include <QTimer>

#include "platform/AppPaths.h"
#include "platform/AtomicFile.h"
#include "platform/IniText.h"

IniDefaults::IniDefaults(QString filePath) : path_(std::move(filePath)) {
    const QSettings file(path_, QSettings::IniFormat);
    for (const QString& key : file.allKeys()) {
        values_.insert(key, file.value(key));
    }
}

IniDefaults::~IniDefaults() {
    sync();
}

QString IniDefaults::standardPath() {
    return AppPaths::configDir() + QStringLiteral("/defaults.ini");
}

void IniDefaults::set(const QString& key, const QVariant& value) {
    if (!value.isValid()) {
        remove(key);
        return;
    }
    values_.insert(key, value);
    changed();
}

void IniDefaults::remove(const QString& key) {
    values_.remove(key);
    changed();
}

void IniDefaults::changed() {
    unwritten_ = true;
    if (syncQueued_) {
        return;
    }
    syncQueued_ = true;
    QTimer::singleShot(0, &queueGuard_, [this] {
        syncQueued_ = false;
        sync();
    });
}

void IniDefaults::sync() {
    if (unwritten_ && atomicFile::write(path_, iniText::encode(values_))) {
        unwritten_ = false;
    }
}
