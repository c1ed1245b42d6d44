#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <cerrno>
#include <climits>
#include <optional>

namespace {

bool writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        // No progress is as bad as an error: a full disk may report either.
        if (written == 0) {
            errno = ENOSPC;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

bool holds(int fd, qsizetype size) {
    struct stat info = {};
    return ::fstat(fd, &info) == 0 && info.st_size == size;
}

// The file a write replaces: the end of the path's chain of symbolic links, so that a linked
// file (dotfiles kept in a repository) is written where it lives and the link stays. A link to
// nowhere names a file not made yet. None for a loop or a link that cannot be read.
std::optional<QByteArray> linkEnd(QByteArray path) {
    // The kernel's own limit on links followed in one lookup.
    constexpr int kMaxLinks = 40;
    for (int followed = 0; followed <= kMaxLinks; ++followed) {
        struct stat info = {};
        if (::lstat(path.constData(), &info) != 0) {
            return errno == ENOENT ? std::optional(path) : std::nullopt;
        }
        if (!S_ISLNK(info.st_mode)) {
            return path;
        }
        QByteArray to(PATH_MAX, Qt::Uninitialized);
        const ssize_t size = ::readlink(path.constData(), to.data(), size_t(to.size()));
        if (size <= 0) {
            return std::nullopt;
        }
        if (size >= to.size()) {
            errno = ENAMETOOLONG;
            return std::nullopt;
        }
        to.truncate(size);
        // A relative link is relative to its own folder.
        const qsizetype folderEnd = path.lastIndexOf('/');
        path = to.startsWith('/') || folderEnd < 0 ? to : path.left(folderEnd + 1) + to;
    }
    errno = ELOOP;
    return std::nullopt;
}

// Only our saves make names of this shape: a dot, the file's name, this tag and six letters or
// digits. A cleaner removes nothing else, so a copy the user keeps beside a store is safe
// whatever its name.
constexpr char kSaveTag[] = ".nivelo-save-";
constexpr qsizetype kNewSuffix = 6;

QByteArray newFilePrefix(const QByteArray& target) {
    const qsizetype folderEnd = target.lastIndexOf('/');
    return target.left(folderEnd + 1) + '.' + target.mid(folderEnd + 1) + kSaveTag;
}

bool isNewFileName(const QString& name, const QString& target) {
    const QString prefix = '.' + target + QLatin1String(kSaveTag);
    if (name.size() != prefix.size() + kNewSuffix || !name.startsWith(prefix)) {
        return false;
    }
    for (const QChar c : name.right(kNewSuffix)) {
        if (c.unicode() > 127 || !c.isLetterOrNumber()) {
            return false;
        }
    }
    return true;
}

QByteArray randomSuffix() {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray suffix(kNewSuffix, Qt::Uninitialized);
    for (char& c : suffix) {
        c = kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
    }
    return suffix;
}

// A new owner-only file beside `target` under a name of our saves, locked (on `held`, a
// descriptor of its own) from before its name can be seen: a cleaner never finds it unlocked.
// The file is made without a name and linked once locked. Where the file system cannot make a
// file without a name, it is made by name and locked at once; a cleaner that took it in that
// moment left it unlinked, and a new one is made.
struct NewFile {
    int fd = -1;
    int held = -1;
    QByteArray name;
};

bool lockedCopy(int fd, int& held) {
    held = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    return held >= 0 && ::flock(held, LOCK_EX) == 0;
}

void closeBoth(NewFile& file) {
    ::close(file.fd);
    if (file.held >= 0) {
        ::close(file.held);
    }
    file = {};
}

std::optional<NewFile> linkedNewFile(const QByteArray& target, const QByteArray& prefix) {
    const qsizetype folderEnd = target.lastIndexOf('/');
    const QByteArray folder = folderEnd < 0 ? QByteArray(".") : target.left(folderEnd + 1);
    NewFile file;
    file.fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (file.fd < 0) {
        return std::nullopt;
    }
    if (!lockedCopy(file.fd, file.held)) {
        closeBoth(file);
        return std::nullopt;
    }
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(file.fd);
    // A few tries against a name taken by chance.
    for (int tries = 0; tries < 100; ++tries) {
        const QByteArray name = prefix + randomSuffix();
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) ==
            0) {
            file.name = name;
            return file;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    closeBoth(file);
    return std::nullopt;
}

std::optional<NewFile> namedNewFile(const QByteArray& prefix) {
    for (int tries = 0; tries < 100; ++tries) {
        NewFile file;
        file.name = prefix + QByteArray(kNewSuffix, 'X');
        file.fd = ::mkostemp(file.name.data(), O_CLOEXEC);
        if (file.fd < 0) {
            return std::nullopt;
        }
        const bool locked = lockedCopy(file.fd, file.held);
        struct stat info = {};
        const bool linked = ::fstat(file.fd, &info) == 0 && info.st_nlink > 0;
        if (locked && linked) {
            return file;
        }
        const int error = errno;
        if (linked) {
            ::unlink(file.name.constData());
        }
        closeBoth(file);
        if (linked) {
            errno = error;
            return std::nullopt;
        }
    }
    errno = EAGAIN;
    return std::nullopt;
}

std::optional<NewFile> newFile(const QByteArray& target) {
    const QByteArray prefix = newFilePrefix(target);
    if (auto file = linkedNewFile(target, prefix)) {
        return file;
    }
    // No file without a name here (an older or a network file system), or no /proc.
    if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL || errno == ENOENT ||
        errno == EXDEV || errno == EPERM) {
        return namedNewFile(prefix);
    }
    return std::nullopt;
}

}  // namespace

bool atomicFile::write(const QString& path, const QByteArray& bytes) {
    // Made and renamed in the linked file's folder, so the replacement stays whole.
    const std::optional<QByteArray> end = linkEnd(QFile::encodeName(path));
    if (!end) {
        return false;
    }
    const QByteArray& target = *end;
    errno = 0;
    std::optional<NewFile> made = newFile(target);
    if (!made) {
        return false;
    }
    const int fd = made->fd;
    const QByteArray& temporary = made->name;
    // Unlocked only once the new file has the target's name, or is gone.
    const auto release = qScopeGuard([held = made->held] {
        const int error = errno;
        ::close(held);
        errno = error;
    });
    // A network file system may report a failed write only at the flush or the close.
    bool whole = writeAll(fd, bytes) && ::fsync(fd) == 0 && holds(fd, bytes.size());
    whole = ::close(fd) == 0 && whole;
    if (whole && ::rename(temporary.constData(), target.constData()) == 0) {
        return true;
    }
    const int error = errno != 0 ? errno : EIO;
    ::unlink(temporary.constData());
    errno = error;
    return false;
}

void atomicFile::removeLeftovers(const QString& path) {
    const std::optional<QByteArray> end = linkEnd(QFile::encodeName(path));
    if (!end) {
        return;
    }
    const QFileInfo target(QFile::decodeName(*end));
    const QDir folder = target.absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!isNewFileName(name, target.fileName())) {
            continue;
        }
        const QByteArray file = QFile::encodeName(folder.filePath(name));
        // A link of that name is not ours to follow.
        const int fd = ::open(file.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        struct stat info = {};
        struct stat named = {};
        // Unlocked, it is no write's: a write locks its file before the name is seen and keeps
        // the lock until the name is the target's. Still under that name: not a file that a
        // write gave the target's name meanwhile.
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(file.constData(), &named) == 0 &&
            named.st_dev == info.st_dev && named.st_ino == info.st_ino) {
            ::unlink(file.constData());
        }
        ::close(fd);
    }
}
