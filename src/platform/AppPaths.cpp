#include "platform/AppPaths.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QStandardPaths>

namespace {

// A real folder (no link) of this user, made owner-only. In the shared temporary folder no one
// else can rename or replace it once it is ours.
bool isFolderOfUser(const QByteArray& path) {
    struct stat info = {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::getuid()) {
        return false;
    }
    return (info.st_mode & 077) == 0 || ::chmod(path.constData(), 0700) == 0;
}

// Files written before folders were private: take group and other access away once.
void tightenFiles(const QString& path) {
    const QDir folder(path);
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QByteArray file = QFile::encodeName(folder.filePath(name));
        struct stat info = {};
        if (::lstat(file.constData(), &info) == 0 && S_ISREG(info.st_mode) &&
            (info.st_mode & 077) != 0) {
            ::chmod(file.constData(), info.st_mode & 07700);
        }
    }
}

QString ensured(QString base) {
    if (base.isEmpty()) {
        base = AppPaths::userTemporaryDir();
    }
    const QString path = base + QLatin1Char('/') + QLatin1String(AppPaths::kBundleIdentifier);
    AppPaths::makePrivateFolder(path);
    return path;
}

}  // namespace

bool AppPaths::makePrivateFolder(const QString& path) {
    if (!QDir().mkpath(path)) {
        return false;
    }
    const QByteArray native = QFile::encodeName(path);
    if (::chmod(native.constData(), 0700) != 0) {
        return false;
    }
    static QSet<QString> tightened;
    if (!tightened.contains(path)) {
        tightened.insert(path);
        tightenFiles(path);
    }
    return true;
}

QString AppPaths::configDir() {
    return ensured(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}

QString AppPaths::dataDir() {
    return ensured(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

QString AppPaths::runtimeDir() {
    const QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return dir.isEmpty() ? userTemporaryDir() : dir;
}

QString AppPaths::userTemporaryDir() {
    const QString named =
        QDir::tempPath() +
        QStringLiteral("/%1-%2").arg(QLatin1String(kBundleIdentifier)).arg(::getuid());
    const QByteArray native = QFile::encodeName(named);
    ::mkdir(native.constData(), 0700);
    if (isFolderOfUser(native)) {
        return named;
    }
    // Someone else made the name first (or made it a link): never use theirs.
    QByteArray pattern = native + "-XXXXXX";
    if (::mkdtemp(pattern.data())) {
        return QFile::decodeName(pattern);
    }
    return {};
}
